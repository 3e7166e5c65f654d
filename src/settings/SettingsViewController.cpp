#include "SettingsViewController.h"

#include "Preferences.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString dialogStyle = QStringLiteral(
    "SettingsViewController { background-color: rgb(5, 38, 74); }"
    "#BackgroundView { background: white; border-radius: 10px; }"
    "#BackgroundView QLabel { color: rgb(20, 30, 45); }"
    "#BackgroundView QComboBox { color: black; background: white;"
    " border: 1px solid rgb(170, 180, 190); border-radius: 3px; padding: 3px 8px; }"
    "#BackgroundView QComboBox::drop-down { border: none; width: 24px; }"
    "#BackgroundView QComboBox::down-arrow { image: url(:/icons/ic_comboArrow.svg);"
    " width: 12px; height: 12px; }"
    "#BackgroundView #heading { color: rgb(5, 38, 74); font-size: 14pt; font-weight: 600; }"
    "#BackgroundView QComboBox QAbstractItemView { color: black; background: white;"
    " selection-background-color: rgb(0, 124, 186); selection-color: white; }"
    "QPushButton { color: white; background: rgb(255, 165, 0); border: none;"
    " border-radius: 2px; padding: 6px 22px; }"
    "QPushButton:hover { background: rgb(112, 199, 252); }"
    "QPushButton#cancel { background: rgb(0, 124, 186); }");

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
