// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "display/terminal_buffer.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

namespace zkn {

// A terminal box: shows its text in a fixed-width font, control characters as visible symbols,
// and keeps the newest line in view while the operator has not scrolled up. The raw bytes live in the buffer;
// the box mirrors them.
class TerminalView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TerminalView(QWidget* parent = nullptr);

    // Filters and appends `text`; announces exactly what was written so the log gets it.
    void WriteTerminal(const QByteArray& text);

    const QByteArray& content() const { return m_buffer.content(); }
    void setPointSize(int points);

Q_SIGNALS:
    void textWritten(const QByteArray& text);
    // A double-click on shown text: the bytes of the blank-free run around the click (a record
    // shows as one, its blanks drawn as dots).
    void wordDoubleClicked(const QByteArray& word);
    // Characters typed on the box (it never takes them itself; the link decides where they go).
    void keysTyped(const QByteArray& characters);

protected:
    void mouseDoubleClickEvent(class QMouseEvent* event) override;
    void keyPressEvent(class QKeyEvent* event) override;

private:
    void paintAtMostEvery(int ms);

    display::TerminalBuffer m_buffer;
    // Lines may come every millisecond (a fast load test); the box is painted at most 25 times a
    // second, so painting never slows what is being shown.
    QElapsedTimer m_lastPaint;
    QTimer m_paintLater;
};

} // namespace zkn
