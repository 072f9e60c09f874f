#include "pbxsim/pty_master.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zkn::pbxsim {

PtyMaster::PtyMaster(QObject* parent) : QIODevice(parent) {}

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
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios raw{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &raw) != 0) {
        setErrorString(systemError("open of the slave"));
        close();
        return false;
    }
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyMaster::readFromMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyMaster::writeToMaster);
    QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    return true;
}

qint64 PtyMaster::bytesToWrite() const
{
    int waiting = 0;
    if (m_slave >= 0)
        ::ioctl(m_slave, TIOCINQ, &waiting);
    return m_writeBuffer.size() + waiting;
}

void PtyMaster::close()
{
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
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
    for (;;) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n <= 0)
            break;
        m_readBuffer.append(chunk, n);
        total += n;
    }
    if (total > 0)
        Q_EMIT readyRead();
}

void PtyMaster::writeToMaster()
{
    while (!m_writeBuffer.isEmpty()) {
        const ssize_t n = ::write(m_master, m_writeBuffer.constData(), size_t(m_writeBuffer.size()));
        if (n <= 0)
            break;
        m_writeBuffer.remove(0, n);
    }
    // A full line keeps the rest until the tool has read enough.
    m_writeNotifier->setEnabled(!m_writeBuffer.isEmpty());
}

QString PtyMaster::systemError(const char* what) const
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace zkn::pbxsim
