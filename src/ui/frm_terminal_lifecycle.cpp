// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's start-up (settings applied, windows loaded, splash) and its part of the exit
// (the confirmation, the windows unloaded).
#include "frm_terminal.h"
#include "serial_port_requests.h"
#include "stored_settings.h"

#include "display/font_steps.h"
#include "frm_about.h"
#include "frm_config.h"
#include "frm_db_serial.h"
#include "frm_debug.h"
#include "frm_debug_options.h"
#include "frm_properties.h"
#include "frm_single.h"
#include "frm_splash.h"
#include "model/connection_options.h"
#include "model/load_test_options.h"
#include "operator/operator.h"
#include "settings/record_format.h"
#include "terminal_view.h"
#include "text/numeric_prefix.h"
#include "text_file_sender.h"

#include <QCloseEvent>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>

namespace zkn {

void frmTerminal::startUp(std::function<void()> ready, int splashMs)
{
    m_ready = std::move(ready);
    m_splash = new frmSplash;
    // The settings may put up a box: the operator sees the splash first. Queued, so that the
    // painted splash reaches the screen before the work begins; the timer goes on where a
    // platform never paints it.
    const auto goOn = [this, splashMs, started = std::make_shared<bool>(false)] {
        if (!std::exchange(*started, true))
            continueStartUp(splashMs);
    };
    connect(m_splash, &frmSplash::painted, this, goOn, Qt::QueuedConnection);
    QTimer::singleShot(300, this, goOn);
    m_splash->show();
}

void frmTerminal::continueStartUp(int splashMs)
{
    // Centre on the screen the window will appear on.
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    applyStoredSettings();
    m_debugOptions->load();

    if (!m_splash) {
        finishStartUp(); // the operator closed it already
        return;
    }
    connect(m_splash, &QObject::destroyed, this, &frmTerminal::finishStartUp);
    m_splash->closeAfter(splashMs);
}

void frmTerminal::applyStoredSettings()
{
    const QString serialError = m_port.applyStoredSerialSettings();
    if (!serialError.isEmpty()) {
        // A refused port setting keeps the remaining values at their defaults.
        m_operator.tell(serialError, Operator::Icon::Exclamation);
        m_properties->load();
        return;
    }
    loadConnectionOptions(m_store, m_connection);
    m_properties->load();
    m_connection.setHostField(m_connection.remoteHost());
    const StoredStations single = storedSingleStations(m_store);
    m_single->setStations(single.first, single.second);
    // A range test started before any configuration runs over the stored range.
    const StoredStations range = storedLoadTestRange(m_store);
    m_config->setStations(range.first, range.second);
    m_loadTest.setRange(text::leadingNumber(range.first.toLatin1()),
                        text::leadingNumber(range.second.toLatin1()));
    applyFontStep(display::fontStepFromText(storedFontStep(m_store)));
}

void frmTerminal::finishStartUp()
{
    m_connection.setRecordFormatKra(
        settings::recordFormatIsKra(m_connection.connectionType(), m_connection.kraSelected()));
    m_txtTerm->setPointSize(display::kFontSizes[m_fontStep->value()]);
    if (m_ready)
        m_ready();
}

void frmTerminal::closeEvent(QCloseEvent* event)
{
    if (m_mayClose) {
        event->accept();
        return;
    }
    event->ignore();
    // Asked once, however often the window is told to close meanwhile.
    if (m_exitConfirmed || m_askingToExit)
        return;
    m_askingToExit = true;
    m_operator.show({QStringLiteral("Do you really want to exit ZKN-Tool?"), Operator::Icon::Question,
                     Operator::Buttons::YesNo, windowTitle()},
                    [this](Operator::Answer answer) {
                        m_askingToExit = false;
                        if (answer != Operator::Answer::Yes)
                            return;
                        m_exitConfirmed = true;
                        Q_EMIT exitConfirmed();
                    });
}

void frmTerminal::closeAfterShutdown()
{
    m_mayClose = true;
    // Closing again from inside a close event would be ignored: close once it returned.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void frmTerminal::unloadWindows()
{
    m_properties->hide();
    m_debugOptions->unload();
    m_lanDebug->hide();
    m_serialBuffer->hide();
    m_single->hide();
    m_config->hide();
    if (m_textSender->isRunning())
        m_textSender->cancel();
    if (m_about)
        m_about->close();
}

} // namespace zkn
