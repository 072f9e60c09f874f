// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp_ledger_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <utility>

namespace zkn {

QString lampLedgerPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/ZKN-Control Tool/LampLedger.json");
}

LampLedgerStore::LampLedgerStore(QString path, QObject* parent) : QObject(parent), m_path(std::move(path))
{
    m_due.setSingleShot(true);
    m_due.setInterval(1000);
    connect(&m_due, &QTimer::timeout, this, &LampLedgerStore::flush);
}

LampLedgerStore::~LampLedgerStore()
{
    flush();
}

lamp::LampMap LampLedgerStore::load(QString* said)
{
    QFile file(m_path);
    if (!file.exists())
        return {};
    QString why;
    if (file.open(QIODevice::ReadOnly)) {
        const auto read = lamp::readLedgerJson(file.readAll());
        if (const auto* stations = std::get_if<lamp::LampMap>(&read))
            return *stations;
        why = std::get<QString>(read);
    } else {
        why = file.errorString();
    }
    file.close();
    const QString aside = m_path + QStringLiteral(".unreadable-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    const bool setAside = QFile::rename(m_path, aside);
    if (said)
        *said =
            setAside
                ? QStringLiteral("The lamp ledger %1 could not be read (%2); it was set aside as %3 and a "
                                 "new ledger begun")
                      .arg(m_path, why, QFileInfo(aside).fileName())
                : QStringLiteral("The lamp ledger %1 could not be read (%2) nor set aside; the lamps are "
                                 "not kept in it this time")
                      .arg(m_path, why);
    // A file that could not be moved out of the way must not be written over.
    if (!setAside)
        m_path.clear();
    return {};
}

void LampLedgerStore::changed(const lamp::LampLedger& ledger)
{
    m_ledger = &ledger;
    if (ledger.revision() != m_written && !m_due.isActive())
        m_due.start();
}

void LampLedgerStore::flush()
{
    m_due.stop();
    if (!m_ledger || m_ledger->revision() == m_written || m_path.isEmpty())
        return;
    const QString why = write(m_path, m_ledger->stations());
    if (why.isEmpty()) {
        m_written = m_ledger->revision();
        m_lastFailure.clear();
    } else if (why != m_lastFailure) {
        // Said once, not at every change of a long test.
        m_lastFailure = why;
        Q_EMIT failed(QStringLiteral("The lamp ledger could not be written to %1: %2").arg(m_path, why));
    }
}

QString LampLedgerStore::write(const QString& path, const lamp::LampMap& stations)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("its folder cannot be made");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const QByteArray json = lamp::ledgerJson(stations);
    if (file.write(json) != json.size() || !file.commit())
        return file.errorString();
    return {};
}

} // namespace zkn
