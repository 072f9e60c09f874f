// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace zkn::pbxsim {

// The master end of a pseudo-terminal pair: the PBX's side of a serial line whose other end is a
// device path the tool opens like any serial port. The line is raw (no echo, no line editing), so
// bytes pass unchanged both ways. Whether the tool has the device open is watched, as a PBX
// watches its line; closing the master hangs the line up, and the tool's reads fail.
class PtyMaster : public QIODevice
{
    Q_OBJECT

public:
    explicit PtyMaster(QObject* parent = nullptr);
    ~PtyMaster() override;

    // Creates the pair and opens the master for reading and writing; false with errorString() set
    // when the system refuses.
    bool create();
    // The device path the tool opens, e.g. /dev/pts/4.
    QString slavePath() const { return m_slavePath; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_readBuffer.size() + QIODevice::bytesAvailable(); }
    // Bytes the tool has not read yet: those still here and those waiting in the line.
    qint64 bytesToWrite() const override;
    void close() override;

Q_SIGNALS:
    void toolPresenceChanged(bool present);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    void readFromMaster();
    void writeToMaster();
    void checkPresence();
    QString systemError(const char* what) const;

    int m_master = -1;
    QString m_slavePath;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer m_presenceTimer;
    bool m_toolPresent = false;
    QByteArray m_readBuffer;
    QByteArray m_writeBuffer;
};

} // namespace zkn::pbxsim
