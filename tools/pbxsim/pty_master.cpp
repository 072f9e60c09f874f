// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/pty_master.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zkn::pbxsim {

namespace {

constexpr int kPresencePollMs = 50;

} // namespace

PtyMaster::PtyMaster(QObject* parent) : QIODevice(parent)
{
    m_presenceTimer.setInterval(kPresencePollMs);
    connect(&m_presenceTimer, &QTimer::timeout, this, &PtyMaster::checkPresence);
}

PtyMaster::~PtyMaster()
{
    close();
}

bool PtyMaster::create()
{
    Q_ASSERT(m_master < 0);
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0) {
        setErrorString(systemError("posix_openpt"));
        return false;
    }
    const char* name = nullptr;
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 || !(name = ::ptsname(m_master))) {
        setErrorString(systemError("grantpt/unlockpt/ptsname"));
        close();
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // The line is made raw through the slave. Closing it again puts the master in the hung-up
    // state, which lasts until the tool opens the device: that is how its presence shows.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios raw{};
    if (slave < 0 || ::tcgetattr(slave, &raw) != 0) {
        setErrorString(systemError("open of the slave"));
        if (slave >= 0)
            ::close(slave);
        close();
        return false;
    }
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    ::close(slave);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    m_readNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyMaster::readFromMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyMaster::writeToMaster);
    QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    m_presenceTimer.start();
    return true;
}

qint64 PtyMaster::bytesToWrite() const
{
    int waiting = 0;
    if (m_toolPresent) {
        // A second descriptor of the slave sees the same input queue as the tool's.
        const int slave = ::open(m_slavePath.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        if (slave >= 0) {
            ::ioctl(slave, TIOCINQ, &waiting);
            ::close(slave);
        }
    }
    return m_writeBuffer.size() + waiting;
}

void PtyMaster::close()
{
    m_presenceTimer.stop();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    m_toolPresent = false;
    m_readBuffer.clear();
    m_writeBuffer.clear();
    if (isOpen())
        QIODevice::close();
}

qint64 PtyMaster::readData(char* data, qint64 maxSize)
{
    const qint64 n = std::min<qint64>(maxSize, m_readBuffer.size());
    std::memcpy(data, m_readBuffer.constData(), size_t(n));
    m_readBuffer.remove(0, n);
    return n;
}

qint64 PtyMaster::writeData(const char* data, qint64 maxSize)
{
    if (m_master < 0)
        return -1;
    m_writeBuffer.append(data, maxSize);
    writeToMaster();
    return maxSize;
}

void PtyMaster::readFromMaster()
{
    char chunk[4096];
    qint64 total = 0;
    ssize_t n = 0;
    while ((n = ::read(m_master, chunk, sizeof chunk)) > 0) {
        m_readBuffer.append(chunk, n);
        total += n;
    }
    if (total > 0)
        Q_EMIT readyRead();
    if (n < 0 && errno == EIO)
        checkPresence();
}

void PtyMaster::writeToMaster()
{
    while (m_toolPresent && !m_writeBuffer.isEmpty()) {
        const ssize_t n = ::write(m_master, m_writeBuffer.constData(), size_t(m_writeBuffer.size()));
        if (n <= 0)
            break;
        m_writeBuffer.remove(0, n);
    }
    // A full line keeps the rest until the tool has read enough.
    m_writeNotifier->setEnabled(m_toolPresent && !m_writeBuffer.isEmpty());
}

void PtyMaster::checkPresence()
{
    pollfd state{m_master, POLLIN, 0};
    if (::poll(&state, 1, 0) < 0)
        return;
    const bool present = !(state.revents & POLLHUP);
    if (present == m_toolPresent)
        return;
    m_toolPresent = present;
    // While nobody holds the device the master reads as an error; it is not read then.
    m_readNotifier->setEnabled(present);
    if (!present)
        m_writeBuffer.clear();
    writeToMaster();
    Q_EMIT toolPresenceChanged(present);
}

QString PtyMaster::systemError(const char* what) const
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace zkn::pbxsim
