// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace zkn {

// A panel of the status bar: its text whole where there is room, cut short with "…" where the
// window is too narrow for every panel, and whole in its tool tip, under what the panel is for.
class StatusPanel : public QLabel
{
    Q_OBJECT

public:
    StatusPanel(const QString& purpose, const QString& text, QWidget* parent = nullptr);

    // The tool tip gives `whole`, when the panel shows a shorter form of it.
    void setPanelText(const QString& text, const QString& whole = {});
    // Room for a few characters: a panel gives way before the window clips it.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_purpose;
};

} // namespace zkn
