// SPDX-License-Identifier: GPL-3.0-or-later
#include "fault_snapshots.h"

#include "capture_file.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

#include <utility>

namespace zkn {

namespace {

constexpr auto kPrefix = "snapshot-";

} // namespace

QString snapshotFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/ZKN-Control Tool/Snapshots");
}

FaultSnapshots::FaultSnapshots(QString folder, QObject* parent) : QObject(parent), m_folder(std::move(folder))
{
}

void FaultSnapshots::setOn(bool on)
{
    m_on = on;
    m_recent.clear(); // what happened while off is not kept
}

void FaultSnapshots::text(const QByteArray& bytes, qint64 epochUs)
{
    if (m_on)
        m_recent.add({epochUs, capture::FaultSnapshot::Entry::Kind::Text, 0, bytes});
}

void FaultSnapshots::packet(int linkType, const QByteArray& packet, qint64 epochUs)
{
    if (m_on)
        m_recent.add({epochUs, capture::FaultSnapshot::Entry::Kind::Packet, linkType, packet});
}

void FaultSnapshots::fault(const QString& what, qint64 epochUs)
{
    if (!m_on || !m_recent.fault(epochUs))
        return;
    // Two bursts within a second get names of their own.
    const QString stamp =
        QDateTime::fromMSecsSinceEpoch(epochUs / 1000).toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    const QString base = QDir(m_folder).filePath(QLatin1String(kPrefix) + stamp);
    const bool withCapture = !m_recent.packets().empty();
    if (const QString error = write(base, what, epochUs); !error.isEmpty()) {
        Q_EMIT failed(
            QStringLiteral("Snapshot on fault could not be written to %1: %2").arg(m_folder, error));
        return;
    }
    removeOldest();
    Q_EMIT written(QStringLiteral("Snapshot on fault (%1): %2.txt%3")
                       .arg(what, base, withCapture ? QStringLiteral(" and .pcap") : QString()));
}

QString FaultSnapshots::write(const QString& base, const QString& what, qint64 epochUs)
{
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("the folder cannot be made");
    QSaveFile text(base + QStringLiteral(".txt"));
    if (!text.open(QIODevice::WriteOnly) ||
        text.write(capture::snapshotText(m_recent.recent(), what, epochUs)) < 0 || !text.commit())
        return text.errorString();
    const std::vector<const capture::FaultSnapshot::Entry*> packets = m_recent.packets();
    if (packets.empty())
        return {};
    CaptureFile capture;
    QString error = capture.open(base + QStringLiteral(".pcap"), packets.front()->linkType);
    for (const capture::FaultSnapshot::Entry* packet : packets) {
        if (!error.isEmpty())
            break;
        error = capture.write(packet->bytes, packet->epochUs);
    }
    return error;
}

// The names sort by time; a pair is its text and its capture.
void FaultSnapshots::removeOldest()
{
    QDir folder(m_folder);
    const QStringList texts =
        folder.entryList({QLatin1String(kPrefix) + QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (qsizetype i = 0; i < texts.size() - m_keep; ++i) {
        const QString base = texts[i].chopped(4);
        folder.remove(texts[i]);
        folder.remove(base + QStringLiteral(".pcap"));
    }
}

} // namespace zkn
