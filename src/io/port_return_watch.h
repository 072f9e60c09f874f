// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace zkn {

// Waits for a serial device that went away to be there again: its path (a by-id name follows
// the same adapter) is looked at twice a second, as udev makes the device a moment after the plug.
class PortReturnWatch : public QObject
{
    Q_OBJECT

public:
    explicit PortReturnWatch(QObject* parent = nullptr);

    // Watches `path` from now on, in place of any port watched before.
    void watch(const QString& path);
    void stop();
    bool watching() const { return m_poll.isActive(); }

Q_SIGNALS:
    // `path` is a character device again; the watch has ended.
    void returned(const QString& path);

private:
    void poll();

    QTimer m_poll;
    QString m_path;
};

} // namespace zkn
