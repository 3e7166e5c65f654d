#include "SettingsViewController.h"

#include "Preferences.h"
#include "shell/Theme.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// %1 window blue, %2 pane white, %3 body text, %4 black, %5 field border,
// %6 toolbar blue, %7 white, %8 orange, %9 hover blue.
const QString dialogStyle =
    QStringLiteral("SettingsViewController { background-color: %1; }"
                   "#BackgroundView { background: %2; border-radius: 10px; }"
                   "#BackgroundView QLabel { color: %3; }"
                   "#BackgroundView QComboBox { color: %4; background: %2;"
                   " border: 1px solid %5; border-radius: 3px; padding: 3px 8px; }"
                   "#BackgroundView QComboBox::drop-down { border: none; width: 24px; }"
                   "#BackgroundView QComboBox::down-arrow { image: url(:/icons/ic_comboArrow.svg);"
                   " width: 12px; height: 12px; }"
                   "#BackgroundView #heading { color: %1; font-size: 14pt; font-weight: 600; }"
                   "#BackgroundView QComboBox QAbstractItemView { color: %4; background: %2;"
                   " selection-background-color: %6; selection-color: %7; }"
                   "QPushButton { color: %7; background: %8; border: none;"
                   " border-radius: 2px; padding: 6px 22px; }"
                   "QPushButton:hover { background: %9; }"
                   "QPushButton#cancel { background: %6; }")
        .arg(Theme::css(Theme::windowBlue), Theme::css(Theme::paneWhite),
             Theme::css(Theme::bodyText), Theme::css(Theme::black), Theme::css(Theme::fieldBorder),
             Theme::css(Theme::toolbarBlue), Theme::css(Theme::white), Theme::css(Theme::orange),
             Theme::css(Theme::hoverBlue));

} // namespace

SettingsViewController::SettingsViewController(Preferences &prefs, const QStringList &adapters,
                                               const QString &adapterInUse, QWidget *parent)
    : QDialog(parent)
    , m_prefs(prefs) {
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);
    viewDidLoad(adapters, adapterInUse);
}

void SettingsViewController::viewDidLoad(const QStringList &adapters, const QString &adapterInUse) {
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(dialogStyle);

    auto *background = new QFrame(this);
    background->setObjectName(QStringLiteral("BackgroundView"));
    auto *form = new QFormLayout(background);
    form->setContentsMargins(24, 20, 24, 20);
    form->setHorizontalSpacing(18);
    form->setVerticalSpacing(10);

    auto *heading = new QLabel(QStringLiteral("Settings"), background);
    heading->setObjectName(QStringLiteral("heading"));
    form->addRow(heading);

    const QHash<SettingsForm::Box, QString> shown = SettingsForm::shownItems(m_prefs, adapterInUse);
    for (SettingsForm::Box box : SettingsForm::boxes()) {
        auto *combo = new QComboBox(background);
        combo->setObjectName(SettingsForm::key(box));
        combo->addItems(SettingsForm::items(box, adapters));
        combo->setCurrentIndex(combo->findText(shown.value(box)));
        combo->setMinimumWidth(180);
        form->addRow(SettingsForm::label(box), combo);
        m_boxes.insert(box, combo);
    }

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(18, 18, 18, 18);
    outer->setSpacing(14);
    outer->addWidget(background);
    outer->addWidget(buildButtons());
}

QWidget *SettingsViewController::buildButtons() {
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), row);
    cancel->setObjectName(QStringLiteral("cancel"));
    auto *ok = new QPushButton(QStringLiteral("OK"), row);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &SettingsViewController::cancelButton);
    connect(ok, &QPushButton::clicked, this, &SettingsViewController::OKButton);
    layout->addWidget(cancel);
    layout->addWidget(ok);
    return row;
}

void SettingsViewController::setAdapters(const QStringList &adapters) {
    QComboBox *box = m_boxes.value(SettingsForm::Box::Adapter);
    const QString chosen = box->currentText();
    box->clear();
    box->addItems(SettingsForm::items(SettingsForm::Box::Adapter, adapters));
    box->setCurrentIndex(box->findText(chosen));
}

// Stored, closed and announced on every OK, changed or not.
void SettingsViewController::OKButton() {
    QHash<SettingsForm::Box, QString> chosen;
    for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it)
        chosen.insert(it.key(),
                      it.value()->currentIndex() < 0 ? QString() : it.value()->currentText());
    accept();
    SettingsForm::store(m_prefs, chosen);
    Q_EMIT SettingsChanged();
}

void SettingsViewController::cancelButton() {
    reject();
}
