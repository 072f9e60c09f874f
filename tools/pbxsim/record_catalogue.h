// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace zkn::pbxsim {

// The five layouts a call-information record may have.
enum class RecordLayout
{
    Kra,
    Olv6,
    Olv8,
    Olv6Expanded,
    Olv8Expanded
};

struct CatalogueRecord
{
    RecordLayout layout;
    QString description;
    QByteArray text; // STX, "0!J", the body, ETX
};

// Valid records of every layout: the sectioned layout with all six section kinds and every party
// kind in each party section, and each fixed layout with every party kind.
const QList<CatalogueRecord>& recordCatalogue();

// The texts of one layout, or of all of them, in catalogue order.
QList<QByteArray> catalogueTexts(std::optional<RecordLayout> layout);

// Names used on the command line: kra, olv6, olv8, olv6x, olv8x.
QString layoutName(RecordLayout layout);
std::optional<RecordLayout> layoutFromName(const QString& name);

} // namespace zkn::pbxsim
