#pragma once

#include "app/filter_criteria.h"

#include <QDialog>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTabWidget;
class QTabBar;

namespace data {
class Dataset;
}

// The filter dialog over the sheet table: criteria per field, by value (a smart value matched
// exactly, at the start or anywhere) or by range; OK sets the table's record filter, an empty
// set of criteria removes it. The criteria stay for the next use until the table closes.
class FilterDialog : public QDialog {
    Q_OBJECT
public:
    FilterDialog(data::Dataset& dataset, QWidget* parent);

    // Runs the dialog; raises when the table is not open.
    void execute();
    // Forgets every criterion (the table was closed).
    void clearCriteria();

    // The criteria with a value, in the sheet's field order.
    std::vector<filter_criteria::Criterion> criteria() const;

    void accept() override;

private:
    void buildFieldList();
    void showField(int row);
    void storeField();
    void showSummary();
    void newSearch();
    int fieldOfRow(int row) const;

    data::Dataset& dataset_;
    std::vector<filter_criteria::Criterion> criteria_; // one per field of the open table
    int shownField_ = -1;

    QTabBar* fieldTabs_;
    QListWidget* fieldList_;
    QRadioButton* alphabetic_;
    QRadioButton* logical_;
    QTabWidget* valueRangeTabs_;
    QLineEdit* value_;
    QButtonGroup* matchGroup_;
    QLineEdit* rangeStart_;
    QLineEdit* rangeEnd_;
    QCheckBox* caseSensitive_;
    QCheckBox* nonMatching_;
};
