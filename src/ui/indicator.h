// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QStackedLayout;

namespace zkn {

// An indicator made of two pictures at the same place: the lit one in front means "on".
// The pictures carry the names given (e.g. "TxLEDon" and "TxLEDoff"); a click on either is
// reported with the name of the one in front.
class Indicator : public QWidget
{
    Q_OBJECT

public:
    Indicator(const QString& onName, const QPixmap& onPicture, const QString& offName,
              const QPixmap& offPicture, QWidget* parent = nullptr);

    void setOn(bool on);
    bool isOn() const;

    // What a screen reader says: the indicator's name, and its state as the description.
    void describe(const QString& name, const QString& onText, const QString& offText);

Q_SIGNALS:
    void clicked(const QString& pictureName);

protected:
    void mouseReleaseEvent(class QMouseEvent* event) override;

private:
    QLabel* m_on;
    QLabel* m_off;
    QStackedLayout* m_stack;
    QString m_onText;
    QString m_offText;
};

} // namespace zkn
