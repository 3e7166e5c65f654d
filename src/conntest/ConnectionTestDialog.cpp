#include "ConnectionTestDialog.h"

#include "shell/Theme.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QColor toneColour(ConnectionTest::Tone tone) {
    switch (tone) {
    case ConnectionTest::Tone::Red:
        return QColor(230, 60, 50);
    case ConnectionTest::Tone::Green:
        return Theme::as<QColor>(Theme::green);
    case ConnectionTest::Tone::Yellow:
        return QColor(255, 221, 0);
    case ConnectionTest::Tone::None:
        break;
    }
    return {};
}

} // namespace

ConnectionTestDialog::ConnectionTestDialog(std::unique_ptr<ConnectionTest> test,
                                           HostNamesReader readHosts, QWidget *parent)
    : QDialog(parent)
    , m_test(test ? std::move(test) : std::make_unique<ConnectionTest>())
    , m_readHosts(readHosts ? std::move(readHosts)
                            : [] { return HostNetworkInfo::setHostNames(); }) {
    setObjectName(QStringLiteral("conncetionTest"));
    setWindowTitle(QStringLiteral(" Connection Test Results"));
    setModal(true);
    resize(840, 250);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#conncetionTest { background-color: %1; }")
                      .arg(Theme::css(Theme::windowBlue)));

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 12);
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("backgroundView"));
    panel->setStyleSheet(
        QStringLiteral("#backgroundView { background: white; border-radius: 10px; }"));
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(12, 10, 12, 12);

    m_connectionHeading = new QLabel(panel);
    m_connectionHeading->setObjectName(QStringLiteral("connectionHeading"));
    QFont headingFont(QStringLiteral("Arial"), 13);
    headingFont.setBold(true);
    m_connectionHeading->setFont(headingFont);
    m_connectionHeading->setStyleSheet(
        QStringLiteral("color: %1;").arg(Theme::css(Theme::windowBlue)));
    m_connectionHeading->hide();
    column->addWidget(m_connectionHeading);

    m_table = new QTableWidget(0, 4, panel);
    m_table->setObjectName(QStringLiteral("connectionTestResultTableView"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Test"), QStringLiteral("Address"),
                                        QStringLiteral("Summary"), QStringLiteral("Result")});
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(26);
    m_table->horizontalHeader()->setFixedHeight(28);
    m_table->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: %1; color: white;"
                       " border: none; border-right: 1px solid rgb(40, 150, 205);"
                       " padding-left: 4px; }")
            .arg(Theme::css(Theme::toolbarBlue)));
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(TestColumn, 165);
    m_table->setColumnWidth(AddressColumn, 150);
    m_table->setColumnWidth(SummaryColumn, 250);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setFont(QFont(QStringLiteral("Arial"), 11));
    m_table->setStyleSheet(QStringLiteral("QTableWidget { border: none; gridline-color: "
                                          "%1; color: %2; }")
                               .arg(Theme::css(Theme::divider), Theme::css(Theme::bodyText)));
    column->addWidget(m_table, 1);
    outer->addWidget(panel, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setCursor(Qt::PointingHandCursor);
    closeButton->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: white;"
                       " border: none; border-radius: 2px; padding: 5px 18px; }"
                       "QPushButton:hover { background-color: %2; }")
            .arg(Theme::css(Theme::orange), Theme::css(Theme::hoverBlue)));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(closeButton);
    outer->addLayout(buttons);

    connect(m_test.get(), &ConnectionTest::rowChanged, this, &ConnectionTestDialog::showRow);
    connect(m_test.get(), &ConnectionTest::verdictsReloaded, this,
            &ConnectionTestDialog::showVerdicts);
}

ConnectionTestDialog::~ConnectionTestDialog() {
    m_test->disconnect(this);
    m_test->stop();
}

QString ConnectionTestDialog::heading() const {
    return m_connectionHeading->text();
}

void ConnectionTestDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        viewDidAppear();
    }
}

// Reads the hosts and starts the run; without a usable name server the
// heading says so and the table stays empty.
void ConnectionTestDialog::viewDidAppear() {
    const HostNetworkInfo::HostNames hosts = m_readHosts();
    m_table->setRowCount(hosts.connected ? int(ConnectionTest::connectionTestArray.size()) : 0);
    if (!hosts.connected) {
        m_connectionHeading->setText(QStringLiteral(" No Internet Connection"));
        m_connectionHeading->show();
    }
    m_test->start(hosts);
    for (int row = 0; row < m_test->rows().size(); ++row)
        showRow(row);
    showVerdicts();
}

QWidget *ConnectionTestDialog::hostLink(const QString &host) {
    auto *label = new QLabel(m_table);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setFont(QFont(QStringLiteral("Helvetica"), 10, QFont::Bold));
    label->setText(QStringLiteral("&nbsp;<a href=\"https://%1\" style=\"color: blue;\">%1</a>")
                       .arg(host.toHtmlEscaped()));
    label->setContentsMargins(2, 0, 0, 0);
    return label;
}

void ConnectionTestDialog::showRow(int row) {
    if (row < 0 || row >= m_test->rows().size() || row >= m_table->rowCount())
        return;
    const ConnectionTest::Row &r = m_test->rows().at(row);
    auto setText = [&](int column, const QString &text) {
        QTableWidgetItem *item = m_table->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            m_table->setItem(row, column, item);
        }
        item->setText(text);
        item->setToolTip(text);
    };
    setText(TestColumn, r.name);
    if (row == ConnectionTest::LookupRow && r.host != HostNetworkInfo::notAvailable) {
        if (!m_table->cellWidget(row, AddressColumn))
            m_table->setCellWidget(row, AddressColumn, hostLink(r.host));
    } else {
        setText(AddressColumn, r.host.isEmpty() ? QStringLiteral("Looking up\u2026") : r.host);
    }
    setText(SummaryColumn, r.summary);
}

void ConnectionTestDialog::showVerdicts() {
    const QList<ConnectionTest::Row> &rows = m_test->rows();
    for (int row = 0; row < rows.size() && row < m_table->rowCount(); ++row) {
        auto *item = m_table->item(row, ResultColumn);
        if (!item) {
            item = new QTableWidgetItem;
            m_table->setItem(row, ResultColumn, item);
        }
        const ConnectionTest::Verdict &verdict = rows.at(row).verdict;
        item->setText(verdict.text);
        const QColor colour = toneColour(verdict.tone);
        item->setBackground(colour.isValid() ? QBrush(colour) : QBrush());
        item->setForeground(verdict.tone == ConnectionTest::Tone::Red ? QBrush(Qt::white)
                                                                      : QBrush());
    }
}

// Closing, by the button or the window's own close, stops every ping and
// forgets the results; a new window starts afresh.
void ConnectionTestDialog::done(int result) {
    m_test->stop();
    QDialog::done(result);
}
