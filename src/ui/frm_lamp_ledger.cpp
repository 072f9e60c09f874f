// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_lamp_ledger.h"

#include "lamp/lamp_ledger.h"
#include "lamp_ledger_model.h"
#include "operator/operator.h"
#include "settings/settings_store.h"
#include "stored_settings.h"
#include "tab_order.h"
#include "window_placement.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace zkn {

namespace {

QPushButton* button(const QString& name, const QString& caption, const QString& tip, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    return b;
}

const QString kMapFilter = QStringLiteral("CSV Files (*.csv);;All Files (*)");

} // namespace

frmLampLedger::frmLampLedger(QWidget* parent, const lamp::LampLedger& ledger, Operator& op,
                             settings::SettingsStore& store)
    : QWidget(parent, Qt::Window), m_ledger(ledger), m_operator(op), m_store(store),
      m_lastFolder(QDir::homePath()), m_model(new LampLedgerModel(this)),
      m_filter(new LampLedgerFilter(this)), m_find(new QLineEdit(this)),
      m_onlyFailed(new QCheckBox(QStringLiteral("Only those that &failed"), this)),
      m_table(new QTableView(this)), m_summary(new QLabel(this)), m_progressText(new QLabel(this)),
      m_progress(new QProgressBar(this)),
      m_afterReconnect(new QCheckBox(QStringLiteral("Resynchronise after &reconnect"), this)),
      m_resync(button(QStringLiteral("cmdResync"), QStringLiteral("Re&synchronise"),
                      QStringLiteral("Send every lamp's state again, as the ledger asks for it"), this)),
      m_allOff(button(QStringLiteral("cmdAllOff"), QStringLiteral("Switch all &off"),
                      QStringLiteral("Switch both lamps of every station in the ledger off"), this)),
      m_stop(button(QStringLiteral("cmdStop"), QStringLiteral("S&top"),
                    QStringLiteral("Stop sending; what was answered is kept"), this)),
      m_forget(button(QStringLiteral("cmdForget"), QStringLiteral("For&get..."),
                      QStringLiteral("Clear the ledger; the PBX's lamps stay as they are"), this)),
      m_import(button(QStringLiteral("cmdImport"), QStringLiteral("&Import..."),
                      QStringLiteral("Read a lamp map (station,MW,VMM) to send with Resynchronise"), this)),
      m_export(button(QStringLiteral("cmdExport"), QStringLiteral("E&xport..."),
                      QStringLiteral("Write the ledger as a lamp map (station,MW,VMM)"), this))
{
    setObjectName(QStringLiteral("frmLampLedger"));
    setWindowTitle(QStringLiteral("Lamp Ledger"));
    setMinimumSize(560, 380);

    m_find->setObjectName(QStringLiteral("txtFind"));
    m_find->setPlaceholderText(QStringLiteral("station, state or outcome"));
    m_find->setClearButtonEnabled(true);
    auto* findLabel = new QLabel(QStringLiteral("Fin&d:"), this);
    findLabel->setBuddy(m_find);
    m_onlyFailed->setObjectName(QStringLiteral("chkFailed"));

    m_filter->setSourceModel(m_model);
    m_table->setObjectName(QStringLiteral("tblLedger"));
    m_table->setModel(m_filter);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(LampLedgerModel::Station, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // Tab goes on to the next control
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    auto* tableLabel = new QLabel(QStringLiteral("&Lamps"), this);
    tableLabel->setBuddy(m_table);
    m_summary->setObjectName(QStringLiteral("lblSummary"));
    m_progressText->setObjectName(QStringLiteral("lblProgress"));
    m_progress->setObjectName(QStringLiteral("barProgress"));
    m_progress->setTextVisible(false);
    m_afterReconnect->setObjectName(QStringLiteral("chkResyncOnReconnect"));
    m_afterReconnect->setToolTip(
        QStringLiteral("Whenever the link comes back, send the ledger's lamps again without asking"));
    m_afterReconnect->setChecked(storedResyncAfterReconnect(m_store));
    auto* closeButton = button(QStringLiteral("cmdClose"), QStringLiteral("&Close"), {}, this);

    connect(m_find, &QLineEdit::textChanged, m_filter, &QSortFilterProxyModel::setFilterFixedString);
    connect(m_onlyFailed, &QCheckBox::toggled, m_filter, &LampLedgerFilter::setOnlyFailed);
    connect(m_afterReconnect, &QCheckBox::toggled, this,
            [this](bool on) { storeResyncAfterReconnect(m_store, on); });
    connect(m_resync, &QPushButton::clicked, this, &frmLampLedger::resynchroniseRequested);
    connect(m_allOff, &QPushButton::clicked, this, &frmLampLedger::switchOffRequested);
    connect(m_stop, &QPushButton::clicked, this, &frmLampLedger::stopRequested);
    connect(m_forget, &QPushButton::clicked, this, &frmLampLedger::forget);
    connect(m_import, &QPushButton::clicked, this, &frmLampLedger::importMap);
    connect(m_export, &QPushButton::clicked, this, &frmLampLedger::exportMap);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);

    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findLabel);
    findRow->addWidget(m_find, 1);
    findRow->addWidget(m_onlyFailed);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progressText, 1);
    progressRow->addWidget(m_progress, 1);
    auto* sendRow = new QHBoxLayout;
    sendRow->addWidget(m_resync);
    sendRow->addWidget(m_allOff);
    sendRow->addWidget(m_stop);
    sendRow->addStretch(1);
    sendRow->addWidget(m_afterReconnect);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_forget);
    fileRow->addWidget(m_import);
    fileRow->addWidget(m_export);
    fileRow->addStretch(1);
    fileRow->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(tableLabel);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_summary);
    layout->addLayout(progressRow);
    layout->addLayout(sendRow);
    layout->addLayout(fileRow);
    chainTabOrder({m_find, m_onlyFailed, m_table, m_resync, m_allOff, m_stop, m_afterReconnect, m_forget,
                   m_import, m_export, closeButton});

    m_refresh.setSingleShot(true);
    m_refresh.setInterval(250);
    connect(&m_refresh, &QTimer::timeout, this, &frmLampLedger::refresh);
    showResync(false, {});
}

void frmLampLedger::showWindow()
{
    refresh();
    showOver(this, parentWidget());
}

void frmLampLedger::ledgerChanged()
{
    if (isVisible() && !m_refresh.isActive())
        m_refresh.start();
}

void frmLampLedger::showResync(bool running, const QString& progress)
{
    m_running = running;
    m_lastProgress = progress;
    m_progressText->setText(progress);
    // "3 of 9 sent"
    static const QRegularExpression counts(QStringLiteral("^(\\d+) of (\\d+)"));
    const QRegularExpressionMatch match = counts.match(progress);
    m_progress->setRange(0, match.hasMatch() ? std::max(1, match.captured(2).toInt()) : 1);
    m_progress->setValue(match.hasMatch() ? match.captured(1).toInt() : 0);
    m_progress->setVisible(running);
    const bool lamps = !m_ledger.stations().isEmpty();
    m_resync->setEnabled(!running && lamps);
    m_allOff->setEnabled(!running && lamps);
    m_stop->setEnabled(running);
    m_forget->setEnabled(!running && lamps);
    m_import->setEnabled(!running);
    m_export->setEnabled(lamps);
}

bool frmLampLedger::resyncAfterReconnect() const
{
    return m_afterReconnect->isChecked();
}

void frmLampLedger::refresh()
{
    m_refresh.stop();
    const lamp::LampMap& stations = m_ledger.stations();
    m_model->show(stations);
    m_summary->setText(stations.isEmpty()
                           ? QStringLiteral("The ledger is empty: no lamp has been set since it was begun.")
                           : QStringLiteral("%1 stations, %2 lamps, %3 failed")
                                 .arg(stations.size())
                                 .arg(lamp::lampCount(stations))
                                 .arg(lamp::failedLampCount(stations)));
    showResync(m_running, m_lastProgress);
}

void frmLampLedger::forget()
{
    m_operator.show({QStringLiteral("Forget every lamp of the ledger? The PBX's lamps stay as they are."),
                     Operator::Icon::Question, Operator::Buttons::YesNo, QStringLiteral("Lamp Ledger")},
                    [this](Operator::Answer answer) {
                        if (answer == Operator::Answer::Yes)
                            Q_EMIT replaceRequested({});
                    });
}

// The whole map or nothing: a bad line names itself and changes nothing.
void frmLampLedger::importMap()
{
    m_operator.chooseFile(
        {QStringLiteral("Import Lamp Map"), kMapFilter, m_lastFolder, true},
        [this](const std::optional<QString>& path) {
            if (!path)
                return;
            m_lastFolder = QFileInfo(*path).absolutePath();
            QFile file(*path);
            if (!file.open(QIODevice::ReadOnly)) {
                m_operator.tell(
                    QStringLiteral("The lamp map cannot be read:\r\n%1\r\n%2").arg(*path, file.errorString()),
                    Operator::Icon::Exclamation);
                return;
            }
            const auto read = lamp::readLampMapCsv(file.readAll(), QDateTime::currentDateTime());
            if (const auto* error = std::get_if<lamp::LampMapError>(&read)) {
                m_operator.tell(QStringLiteral("The lamp map was not imported:\r\n%1, line %2: %3")
                                    .arg(*path)
                                    .arg(error->line)
                                    .arg(error->why),
                                Operator::Icon::Exclamation);
                return;
            }
            Q_EMIT replaceRequested(std::get<lamp::LampMap>(read));
        });
}

void frmLampLedger::exportMap()
{
    m_operator.chooseFile({QStringLiteral("Export Lamp Map"), kMapFilter,
                           QDir(m_lastFolder).filePath(QStringLiteral("lamp-map.csv")), false},
                          [this](const std::optional<QString>& path) {
                              if (!path)
                                  return;
                              m_lastFolder = QFileInfo(*path).absolutePath();
                              QFile file(*path);
                              const QByteArray csv = lamp::lampMapCsv(m_ledger.stations());
                              if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                                  file.write(csv) != csv.size() || !file.flush())
                                  m_operator.tell(
                                      QStringLiteral("The lamp map cannot be written:\r\n%1\r\n%2")
                                          .arg(*path, file.errorString()),
                                      Operator::Icon::Exclamation);
                          });
}

} // namespace zkn
