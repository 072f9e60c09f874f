#include "station_box.h"

#include <QLineEdit>

#include <algorithm>

namespace zkn {

namespace {

constexpr int kPlainLength = 6;
constexpr int kExpandedLength = 8;
// The designed widths of 6 and 8 characters (740 and 975 twips).
constexpr int kPlainWidth = 49;
constexpr int kExpandedWidth = 65;

} // namespace

QLineEdit* newStationBox(const char* name, int length, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    fitBoxLength(box, length);
    return box;
}

void fitBoxLength(QLineEdit* box, int length)
{
    box->setMaxLength(length); // cuts a longer text
    const int designed = length > kPlainLength ? kExpandedWidth : kPlainWidth;
    const int needed = box->fontMetrics().horizontalAdvance(QString(length, QLatin1Char('0'))) + 12;
    box->setFixedWidth(std::max(designed, needed));
}

void applyExpansionLength(QLineEdit* box, bool expanded)
{
    fitBoxLength(box, expanded ? kExpandedLength : kPlainLength);
}

} // namespace zkn
