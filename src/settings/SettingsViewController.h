#pragma once

#include "SettingsForm.h"

#include <QDialog>
#include <QHash>

class Preferences;
class QComboBox;

// The modal settings dialog: one choice box per setting, OK and Cancel.
// OK stores the chosen items and announces SettingsChanged; Cancel stores
// nothing. What is shown and stored is SettingsForm's.
class SettingsViewController : public QDialog {
    Q_OBJECT
public:
    SettingsViewController(Preferences &prefs, const QStringList &adapters,
                           const QString &adapterInUse, QWidget *parent = nullptr);

    QComboBox *comboBox(SettingsForm::Box box) const { return m_boxes.value(box); }
    // Offers these adapters instead, keeping the one chosen while it is among them.
    void setAdapters(const QStringList &adapters);

public Q_SLOTS:
    void OKButton();
    void cancelButton();

Q_SIGNALS:
    void SettingsChanged();

private:
    void viewDidLoad(const QStringList &adapters, const QString &adapterInUse);
    QWidget *buildButtons();

    Preferences &m_prefs;
    QHash<SettingsForm::Box, QComboBox *> m_boxes;
};
