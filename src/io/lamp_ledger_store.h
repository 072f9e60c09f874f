// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_ledger_file.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace zkn {

// "LampLedger.json" beside the extensions file, in the tool's per-user data folder.
QString lampLedgerPath();

// The lamp ledger kept between runs. The file is replaced whole (written beside it, then renamed
// over it), so a crash or a full disk leaves the old one as it was; one that cannot be read is
// set aside under another name, never written over.
class LampLedgerStore : public QObject
{
    Q_OBJECT

public:
    explicit LampLedgerStore(QString path = lampLedgerPath(), QObject* parent = nullptr);
    ~LampLedgerStore() override;

    const QString& path() const { return m_path; }
    // The ledger as the file holds it; none when there is no file yet. `said` tells what the
    // operator is to read once: that an unreadable file was set aside, and as what.
    lamp::LampMap load(QString* said);
    // The ledger changed: it is written within a second, at most once a second.
    void changed(const lamp::LampLedger& ledger);
    // Writes at once what is not written yet (the exit).
    void flush();

    // Writes the whole map; the reason when it could not be written, else empty.
    static QString write(const QString& path, const lamp::LampMap& stations);

Q_SIGNALS:
    // A write failed; the next change tries again.
    void failed(const QString& why);

private:
    QString m_path;
    QTimer m_due;
    const lamp::LampLedger* m_ledger = nullptr;
    quint64 m_written = 0; // the revision last written
    QString m_lastFailure;
};

} // namespace zkn
