#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QTimer>

class QAbstractSocket;

namespace zkn {

// Sends the frames of one connection in order, each no sooner than the spacing after it was
// handed over and after the frame before it left. A frame falling due while the socket is not
// connected is dropped unsent.
class PacedSender : public QObject
{
    Q_OBJECT

public:
    PacedSender(QAbstractSocket& socket, int spacingMs, QObject* parent = nullptr);

    void send(const QByteArray& frame);
    bool isIdle() const { return m_queue.isEmpty(); }

Q_SIGNALS:
    void frameSent(const QByteArray& frame);
    // The last frame handed over has left (or was dropped).
    void idle();

private:
    struct Pending
    {
        QByteArray frame;
        qint64 handedOverNs;
    };

    qint64 headDueNs() const;
    void schedule();
    void sendDue();

    QAbstractSocket& m_socket;
    const qint64 m_spacingNs;
    QQueue<Pending> m_queue;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastSentNs = -1;
};

} // namespace zkn
