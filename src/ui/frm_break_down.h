// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/breakdown.h"

#include <QHash>
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QStackedWidget;

namespace zkn {

// "Format Message Information": the last decoded call-information record, area by area. Each area
// is a stack of its plain (empty) frame and the sub-frames the decoders bring to the front; the
// boxes behind keep their texts. It shows a decode's result and parses nothing. Escape does what
// Close does.
class FrmBreakDown : public QWidget
{
    Q_OBJECT

public:
    explicit FrmBreakDown(QWidget* parent);

    void showBreakdown(const decode::Breakdown& breakdown);
    // Brings the six plain frames to the front: every area shows empty.
    void ResetFrames();
    // "Last Record:" shows when the last record arrived, decoded or not.
    void setLastRecordTime(const QDateTime& when);
    // While Hold is checked, received records are not decoded into the window.
    bool onHold() const;

Q_SIGNALS:
    // Close, or the title bar's close box: the menu item that shows the window is cleared.
    void closedByOperator();

protected:
    void closeEvent(class QCloseEvent* event) override;

private:
    struct AreaStack
    {
        QStackedWidget* stack = nullptr;
        QHash<int, QWidget*> subFrames; // by sub-frame number; the call-type frame is -1
    };

    QWidget* subFrame(decode::Area area, const decode::AreaView& view);
    void unload();
    void orderTabs();

    std::array<AreaStack, decode::kAreaCount> m_areas;
    QCheckBox* m_hold = nullptr;
    QWidget* m_clear = nullptr;
    QWidget* m_close = nullptr;
    QLabel* m_time = nullptr;
};

} // namespace zkn
