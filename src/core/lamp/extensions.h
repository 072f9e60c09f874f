// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace zkn::lamp {

// The extensions file as it was read: its bytes, or why it could not be read.
struct ExtensionsRead
{
    std::optional<QByteArray> content;
    QString source; // the file's path, for messages
    QString error;  // the system's reason when there is no content
};

// A line that names no station.
struct SkippedLine
{
    int number = 0; // from 1
    QByteArray text;
};

// The stations of the file: one whole number per line, lines ended by CR LF or LF, the last one
// with or without an end. Blanks around a number are allowed; any other line is skipped.
struct Extensions
{
    QList<qint32> stations;
    QList<SkippedLine> skipped;
};

Extensions parseExtensions(const QByteArray& content);

// A station as the load test takes it, from a line of the file or a range box: a whole number,
// blanks around it allowed; nothing for any other text.
std::optional<qint32> stationNumber(QByteArrayView text);

} // namespace zkn::lamp
