#include "block_reader.h"

#include <QFile>

#include <unistd.h>

namespace zkn::decodetool {

std::optional<QString> readBlocks(const QString& name, const std::function<void(QByteArrayView)>& take)
{
    QFile file;
    const bool isStdin = name == QLatin1String("-");
    if (!isStdin)
        file.setFileName(name);
    // Unbuffered: the blocks go from the system straight into ours, with no copy in between.
    const bool opened = isStdin ? file.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered)
                                : file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    if (!opened)
        return file.errorString();
    QByteArray block(kReadBlockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        if (got < 0)
            return file.errorString();
        if (got == 0)
            return std::nullopt;
        take(QByteArrayView(block.constData(), got));
    }
}

} // namespace zkn::decodetool
