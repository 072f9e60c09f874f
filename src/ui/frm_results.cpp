// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_results.h"

#include "lamp/load_test_log.h"
#include "lamp/load_test_results.h"
#include "lamp/load_test_results_text.h"
#include "operator/operator.h"
#include "results_charts.h"
#include "tab_order.h"
#include "window_placement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zkn {

namespace {

QTableWidget* table(const QString& name, const QStringList& columns, QWidget* parent)
{
    auto* t = new QTableWidget(0, int(columns.size()), parent);
    t->setObjectName(name);
    t->setHorizontalHeaderLabels(columns);
    t->verticalHeader()->hide();
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setTabKeyNavigation(false); // Tab goes on to the next control
    t->setWordWrap(false);
    // Every column as wide as its texts; the widest text, the last but one, takes what is left.
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    t->horizontalHeader()->setSectionResizeMode(std::max(0, int(columns.size()) - 2), QHeaderView::Stretch);
    return t;
}

void fill(QTableWidget* t, int row, const QStringList& cells)
{
    for (int column = 0; column < cells.size(); ++column) {
        QTableWidgetItem* item = t->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            t->setItem(row, column, item);
        }
        item->setText(cells[column]);
    }
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

frmResults::frmResults(QWidget* parent, const lamp::LoadTestLog& log, Operator& op)
    : QWidget(parent, Qt::Window), m_log(log), m_operator(op), m_lastFolder(QDir::homePath()),
      m_note(new QLabel(this)), m_charts(new ResultsCharts(this)),
      m_figures(
          table(QStringLiteral("tblFigures"), {QStringLiteral("Figure"), QStringLiteral("Value")}, this)),
      m_stations(table(QStringLiteral("tblStations"),
                       {QStringLiteral("Station"), QStringLiteral("Function"), QStringLiteral("Count"),
                        QStringLiteral("Answer"), QStringLiteral("Last sent")},
                       this)),
      m_export(new QPushButton(QStringLiteral("&Export..."), this))
{
    setObjectName(QStringLiteral("frmResults"));
    setWindowTitle(QStringLiteral("Load Test Results"));
    setMinimumSize(640, 480);
    m_note->setObjectName(QStringLiteral("lblNote"));
    m_note->setWordWrap(true);
    m_figures->setMinimumWidth(300);
    m_export->setObjectName(QStringLiteral("cmdExport"));
    m_export->setToolTip(QStringLiteral("Write every message to a CSV file, or the charts to a PNG picture"));
    connect(m_export, &QPushButton::clicked, this, &frmResults::exportResults);
    auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
    closeButton->setObjectName(QStringLiteral("cmdClose"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    // A window to look at: Escape closes it, as it would a dialog.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);

    auto* figuresColumn = new QVBoxLayout;
    figuresColumn->addWidget(caption(QStringLiteral("&Figures"), m_figures, this));
    figuresColumn->addWidget(m_figures);
    auto* stationsColumn = new QVBoxLayout;
    stationsColumn->addWidget(caption(QStringLiteral("&Stations that did not answer ok"), m_stations, this));
    stationsColumn->addWidget(m_stations);
    auto* tables = new QHBoxLayout;
    tables->addLayout(figuresColumn, 1);
    tables->addLayout(stationsColumn, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_export);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addWidget(m_charts, 1);
    layout->addLayout(tables, 1);
    layout->addLayout(buttons);
    chainTabOrder({m_figures, m_stations, m_export, closeButton});

    m_refresh.setSingleShot(true);
    m_refresh.setInterval(250);
    connect(&m_refresh, &QTimer::timeout, this, &frmResults::refresh);
}

void frmResults::showWindow()
{
    refresh();
    showOver(this, parentWidget());
}

void frmResults::logChanged(bool answersExpected)
{
    m_answersExpected = answersExpected;
    if (isVisible() && !m_refresh.isActive())
        m_refresh.start();
}

void frmResults::refresh()
{
    m_refresh.stop();
    const lamp::LoadTestResults results = m_log.results();
    const bool empty = m_log.count() == 0;
    m_note->setText(
        empty ? QStringLiteral("No load test has run since the tool started.")
              : QStringLiteral("No answers come on the serial line: only the messages sent are known."));
    m_note->setVisible(empty || !m_answersExpected);
    m_charts->setVisible(m_answersExpected);
    m_charts->showChart(m_log.chart(), results);

    const std::vector<lamp::ResultLine> lines = lamp::resultLines(results, m_answersExpected);
    m_figures->setRowCount(int(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i)
        fill(m_figures, int(i), {lines[i].caption, lines[i].value});
    m_stations->setRowCount(int(results.faults.size()));
    for (std::size_t i = 0; i < results.faults.size(); ++i)
        fill(m_stations, int(i), lamp::faultRow(results.faults[i]));
    m_export->setEnabled(!empty);
}

// Every message as CSV, or the charts as a picture: the name the operator gives decides.
void frmResults::exportResults()
{
    Operator::FileChoice choice;
    choice.title = QStringLiteral("Export Load Test Results");
    choice.filter = QStringLiteral("CSV Files (*.csv);;PNG Pictures (*.png)");
    choice.startPath = QDir(m_lastFolder).filePath(QStringLiteral("load-test.csv"));
    choice.mustExist = false;
    m_operator.chooseFile(choice, [this](const std::optional<QString>& path) {
        if (path)
            write(*path);
    });
}

// The charts under a heading that says what they are: the test's start and its figures, so the
// picture tells its story on its own.
QImage frmResults::exportedPicture() const
{
    const QPixmap charts = m_charts->grab();
    QStringList figures;
    for (const lamp::ResultLine& line : lamp::resultLines(m_log.results(), m_answersExpected))
        figures.append(line.caption.trimmed() + QStringLiteral(": ") + line.value);
    const QStringList heading{QStringLiteral("Load test results, begun %1")
                                  .arg(QLocale().toString(m_log.started(), QLocale::LongFormat)),
                              figures.mid(0, (figures.size() + 1) / 2).join(QStringLiteral("    ")),
                              figures.mid((figures.size() + 1) / 2).join(QStringLiteral("    "))};
    const QFontMetrics metrics(font());
    const int margin = metrics.height() / 2;
    const int top = 2 * margin + int(heading.size()) * metrics.lineSpacing();
    int width = charts.width();
    for (const QString& line : heading)
        width = std::max(width, metrics.horizontalAdvance(line) + 2 * margin);
    QImage picture(width, top + charts.height(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setFont(font());
    painter.setPen(Qt::black);
    for (int i = 0; i < heading.size(); ++i)
        painter.drawText(margin, margin + metrics.ascent() + i * metrics.lineSpacing(), heading[i]);
    painter.drawPixmap(0, top, charts);
    return picture;
}

void frmResults::write(const QString& path)
{
    m_lastFolder = QFileInfo(path).absolutePath();
    bool written = false;
    QString error;
    if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        written = exportedPicture().save(path, "PNG");
    } else {
        QFile file(path);
        const QByteArray header = lamp::LoadTestLog::csvHeader();
        written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                  file.write(header) == header.size() && m_log.writeCsvRows(file) && file.flush();
        error = file.errorString();
    }
    if (!written)
        m_operator.tell(QStringLiteral("The results cannot be written:\r\n") + path + QStringLiteral("\r\n") +
                            error,
                        Operator::Icon::Exclamation);
}

} // namespace zkn
