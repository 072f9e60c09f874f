#pragma once

// The built zkn-decode, run as a user runs it.
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace zkn::test {

struct DecodeRun
{
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    // Standard output read as JSON lines; an unparsable line comes back as an empty object.
    QList<QJsonObject> jsonLines() const;
};

// Runs zkn-decode with `arguments` and `input` on its standard input. Its settings store lies
// under `configHome` (XDG_CONFIG_HOME), so the developer's own settings never count.
DecodeRun runDecode(const QStringList& arguments, const QByteArray& input, const QString& configHome);

} // namespace zkn::test
