// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/fault_snapshot.h"

#include <QObject>
#include <QString>

namespace zkn {

// "Snapshots" in the tool's per-user data folder.
QString snapshotFolder();

// Snapshots on a fault: while on, the last span of the terminal's text and of the link's packets
// is kept in memory, and the first fault of a burst writes it to a time-stamped pair of files, a
// text and a capture. Only the newest `keep` pairs are kept; older ones are removed.
class FaultSnapshots : public QObject
{
    Q_OBJECT

public:
    explicit FaultSnapshots(QString folder = snapshotFolder(), QObject* parent = nullptr);

    void setOn(bool on);
    bool isOn() const { return m_on; }
    void setSpanSeconds(int seconds) { m_recent.setSpanUs(qint64(seconds) * 1'000'000); }
    void setKeep(int pairs) { m_keep = pairs; }

    void text(const QByteArray& bytes, qint64 epochUs);
    void packet(int linkType, const QByteArray& packet, qint64 epochUs);
    void fault(const QString& what, qint64 epochUs);

Q_SIGNALS:
    // A snapshot was written; `line` names its files, for the terminal.
    void written(const QString& line);
    // A snapshot could not be written, and why.
    void failed(const QString& why);

private:
    QString write(const QString& base, const QString& what, qint64 epochUs);
    void removeOldest();

    QString m_folder;
    capture::FaultSnapshot m_recent;
    bool m_on = false;
    int m_keep = 20;
};

} // namespace zkn
