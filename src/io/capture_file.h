// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct pcap;
struct pcap_dumper;

namespace zkn {

// A classic pcap file of one link type, written packet by packet and flushed after each, so
// that what was captured before a crash is in the file.
class CaptureFile
{
public:
    CaptureFile() = default;
    ~CaptureFile();
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    // Creates or empties `path`; returns why it failed, else empty.
    QString open(const QString& path, int linkType);
    bool isOpen() const { return m_dumper != nullptr; }
    int linkType() const { return m_linkType; }
    // Writes one packet stamped with microseconds since the epoch; returns why it failed, else
    // empty.
    QString write(const QByteArray& packet, qint64 epochUs);
    void close();

private:
    pcap* m_pcap = nullptr;
    pcap_dumper* m_dumper = nullptr;
    int m_linkType = -1;
};

} // namespace zkn
