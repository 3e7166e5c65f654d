#pragma once

#include "ConnectionTest.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QTableWidget;

// The connection test's window: a heading, the four-row result table (test,
// address, summary, result) on a white panel, and a close button. It starts
// the run when it appears and stops every ping when it closes.
class ConnectionTestDialog : public QDialog {
    Q_OBJECT
public:
    using HostNamesReader = std::function<HostNetworkInfo::HostNames()>;

    enum Column { TestColumn, AddressColumn, SummaryColumn, ResultColumn };

    // A null test pings for real; an empty reader reads this host's facts.
    explicit ConnectionTestDialog(std::unique_ptr<ConnectionTest> test = nullptr,
                                  HostNamesReader readHosts = {}, QWidget *parent = nullptr);
    ~ConnectionTestDialog() override;

    const ConnectionTest &test() const { return *m_test; }
    QTableWidget *table() const { return m_table; }
    QString heading() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void viewDidAppear();
    void showRow(int row);
    void showVerdicts();
    QWidget *hostLink(const QString &host);

    std::unique_ptr<ConnectionTest> m_test;
    HostNamesReader m_readHosts;
    QLabel *m_connectionHeading = nullptr;
    QTableWidget *m_table = nullptr;
    bool m_started = false;
};
