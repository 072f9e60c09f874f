#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace zkn::decodetool {

// Large enough that reading costs little next to decoding.
inline constexpr qsizetype kReadBlockSize = 1024 * 1024;

// Reads a file, or standard input for "-", to its end in large blocks and hands each block over
// as it arrives. Returns why the file could not be opened or read; nothing when it was read whole.
std::optional<QString> readBlocks(const QString& name, const std::function<void(QByteArrayView)>& take);

} // namespace zkn::decodetool
