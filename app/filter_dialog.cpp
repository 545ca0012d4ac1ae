#include "app/filter_dialog.h"

#include "app/application.h"

#include "data/dataset.h"
#include "data/error.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

using filter_criteria::Criterion;
using filter_criteria::FilterBy;
using filter_criteria::Match;

namespace {

QPushButton* clearButton(const QString& hint, QLineEdit* edit, QWidget* parent)
{
    auto* button = new QPushButton(QStringLiteral("清除"), parent);
    button->setToolTip(hint);
    QObject::connect(button, &QPushButton::clicked, edit, &QLineEdit::clear);
    return button;
}

QString matchLabel(Match match)
{
    switch (match) {
    case Match::Exact: return QStringLiteral("精确的匹配");
    case Match::Start: return QStringLiteral("开始部位的匹配");
    case Match::Anywhere: return QStringLiteral("任意部位的匹配");
    }
    return {};
}

} // namespace

FilterDialog::FilterDialog(data::Dataset& dataset, QWidget* parent) : QDialog(parent), dataset_(dataset)
{
    setObjectName(QStringLiteral("FilterDialog1"));
    setWindowTitle(QStringLiteral("查询"));
    QFont plain = font();
    plain.setBold(false);
    plain.setItalic(false);
    setFont(plain);

    // Fields, all or only those with criteria, in field order or alphabetically.
    auto* fieldsLabel = new QLabel(QStringLiteral("字段"), this);
    fieldTabs_ = new QTabBar(this);
    fieldTabs_->addTab(QStringLiteral("全部"));
    fieldTabs_->addTab(QStringLiteral("过滤"));
    fieldTabs_->setToolTip(QStringLiteral("显示所有字段或当前查询字段"));
    fieldList_ = new QListWidget(this);
    auto* orderBox = new QGroupBox(QStringLiteral("字段排序"), this);
    orderBox->setToolTip(QStringLiteral("字段列表按字母或物理逻辑顺序排序"));
    alphabetic_ = new QRadioButton(QStringLiteral("照字母次序"), orderBox);
    logical_ = new QRadioButton(QStringLiteral("逻辑"), orderBox);
    logical_->setChecked(true);
    auto* orderLayout = new QHBoxLayout(orderBox);
    orderLayout->addWidget(alphabetic_);
    orderLayout->addWidget(logical_);
    auto* left = new QVBoxLayout;
    left->addWidget(fieldsLabel);
    left->addWidget(fieldTabs_);
    left->addWidget(fieldList_, 1);
    left->addWidget(orderBox);

    // By value.
    valueRangeTabs_ = new QTabWidget(this);
    valueRangeTabs_->setToolTip(QStringLiteral("以指定范围或值对字段过滤"));
    auto* valuePage = new QWidget(valueRangeTabs_);
    value_ = new QLineEdit(valuePage);
    value_->setToolTip(QStringLiteral("输入字段的查询值"));
    auto* searchType = new QGroupBox(QStringLiteral("查询类型"), valuePage);
    searchType->setToolTip(QStringLiteral("指定被比较字段值"));
    matchGroup_ = new QButtonGroup(this);
    auto* searchLayout = new QVBoxLayout(searchType);
    for (Match match : {Match::Exact, Match::Start, Match::Anywhere}) {
        auto* radio = new QRadioButton(matchLabel(match), searchType);
        matchGroup_->addButton(radio, static_cast<int>(match));
        searchLayout->addWidget(radio);
    }
    auto* valueLayout = new QGridLayout(valuePage);
    valueLayout->addWidget(new QLabel(QStringLiteral("字段值"), valuePage), 0, 0);
    valueLayout->addWidget(value_, 1, 0);
    valueLayout->addWidget(clearButton(QStringLiteral("清除当前查询字段值"), value_, valuePage), 1, 1);
    valueLayout->addWidget(searchType, 2, 0, 1, 2);
    valueLayout->setRowStretch(3, 1);
    valueRangeTabs_->addTab(valuePage, QStringLiteral("数值"));

    // By range.
    auto* rangePage = new QWidget(valueRangeTabs_);
    rangeStart_ = new QLineEdit(rangePage);
    rangeStart_->setToolTip(QStringLiteral("输入字段的开始范围"));
    rangeEnd_ = new QLineEdit(rangePage);
    rangeEnd_->setToolTip(QStringLiteral("输入字段的结止值"));
    auto* rangeLayout = new QGridLayout(rangePage);
    rangeLayout->addWidget(new QLabel(QStringLiteral("开始范围"), rangePage), 0, 0);
    rangeLayout->addWidget(rangeStart_, 1, 0);
    rangeLayout->addWidget(clearButton(QStringLiteral("清除字段的结止范围"), rangeStart_, rangePage), 1, 1);
    rangeLayout->addWidget(new QLabel(QStringLiteral("输入范围"), rangePage), 2, 0);
    rangeLayout->addWidget(rangeEnd_, 3, 0);
    rangeLayout->addWidget(clearButton(QStringLiteral("清除字段的起始范围"), rangeEnd_, rangePage), 3, 1);
    rangeLayout->setRowStretch(4, 1);
    valueRangeTabs_->addTab(rangePage, QStringLiteral("范围"));

    caseSensitive_ = new QCheckBox(QStringLiteral("区分大小写"), this);
    caseSensitive_->setToolTip(QStringLiteral("区分大小写查找"));
    nonMatching_ = new QCheckBox(QStringLiteral("没有匹配的记录"), this);
    nonMatching_->setToolTip(QStringLiteral("显示与匹配值不相匹配的记录"));
    auto* right = new QVBoxLayout;
    right->addWidget(valueRangeTabs_, 1);
    right->addWidget(caseSensitive_);
    right->addWidget(nonMatching_);

    auto* viewSummary = new QPushButton(QStringLiteral("显示过滤条件"), this);
    viewSummary->setToolTip(QStringLiteral("显示当前过滤条件"));
    auto* newSearchButton = new QPushButton(QStringLiteral("新的过滤"), this);
    newSearchButton->setToolTip(QStringLiteral("开始一个新的过滤"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Ok)->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    buttons->button(QDialogButtonBox::Cancel)->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(viewSummary);
    bottom->addWidget(newSearchButton);
    bottom->addStretch(1);
    bottom->addWidget(buttons);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    connect(buttons, &QDialogButtonBox::accepted, this, &FilterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FilterDialog::reject);
    connect(viewSummary, &QPushButton::clicked, this, &FilterDialog::showSummary);
    connect(newSearchButton, &QPushButton::clicked, this, &FilterDialog::newSearch);
    connect(fieldTabs_, &QTabBar::currentChanged, this, [this] { storeField(); buildFieldList(); });
    connect(alphabetic_, &QRadioButton::toggled, this, [this] { storeField(); buildFieldList(); });
    connect(fieldList_, &QListWidget::currentRowChanged, this, [this](int row) {
        storeField();
        showField(row);
    });
}

void FilterDialog::execute()
{
    if (!dataset_.active())
        throw data::Error(QStringLiteral("Dataset must be active to perform local filtering (FilterMethod=fdByFilter)."));
    const auto& fields = dataset_.fieldInfos();
    if (criteria_.size() != fields.size()) {
        criteria_.assign(fields.size(), Criterion{});
        for (size_t i = 0; i < fields.size(); ++i)
            criteria_[i].fieldName = fields[i].name;
    }
    const std::vector<Criterion> before = criteria_;
    shownField_ = -1;
    fieldTabs_->setCurrentIndex(0);
    buildFieldList();
    if (exec() != QDialog::Accepted)
        criteria_ = before;
}

void FilterDialog::clearCriteria()
{
    criteria_.clear();
    shownField_ = -1;
}

std::vector<Criterion> FilterDialog::criteria() const
{
    std::vector<Criterion> set;
    std::copy_if(criteria_.begin(), criteria_.end(), std::back_inserter(set),
                 [](const Criterion& c) { return !c.isEmpty(); });
    return set;
}

int FilterDialog::fieldOfRow(int row) const
{
    const QListWidgetItem* item = fieldList_->item(row);
    return item ? item->data(Qt::UserRole).toInt() : -1;
}

void FilterDialog::buildFieldList()
{
    std::vector<int> order(criteria_.size());
    std::iota(order.begin(), order.end(), 0);
    if (alphabetic_->isChecked())
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            return criteria_[static_cast<size_t>(a)].fieldName.compare(criteria_[static_cast<size_t>(b)].fieldName,
                                                                       Qt::CaseInsensitive) < 0;
        });
    const bool searchedOnly = fieldTabs_->currentIndex() == 1;
    const int keep = shownField_;
    QSignalBlocker blocker(fieldList_);
    fieldList_->clear();
    int keepRow = -1;
    for (int field : order) {
        if (searchedOnly && criteria_[static_cast<size_t>(field)].isEmpty())
            continue;
        auto* item = new QListWidgetItem(criteria_[static_cast<size_t>(field)].fieldName, fieldList_);
        item->setData(Qt::UserRole, field);
        if (field == keep)
            keepRow = fieldList_->count() - 1;
    }
    const int row = keepRow >= 0 ? keepRow : (fieldList_->count() > 0 ? 0 : -1);
    fieldList_->setCurrentRow(row);
    showField(row);
}

void FilterDialog::showField(int row)
{
    shownField_ = fieldOfRow(row);
    const Criterion shown = shownField_ >= 0 ? criteria_[static_cast<size_t>(shownField_)] : Criterion{};
    valueRangeTabs_->setCurrentIndex(shown.by == FilterBy::Value ? 0 : 1);
    value_->setText(shown.value);
    matchGroup_->button(static_cast<int>(shown.match))->setChecked(true);
    rangeStart_->setText(shown.rangeStart);
    rangeEnd_->setText(shown.rangeEnd);
    caseSensitive_->setChecked(shown.caseSensitive);
    nonMatching_->setChecked(shown.nonMatching);
}

void FilterDialog::storeField()
{
    if (shownField_ < 0 || shownField_ >= static_cast<int>(criteria_.size()))
        return;
    Criterion& c = criteria_[static_cast<size_t>(shownField_)];
    c.by = valueRangeTabs_->currentIndex() == 0 ? FilterBy::Value : FilterBy::Range;
    c.value = value_->text();
    c.match = static_cast<Match>(matchGroup_->checkedId());
    c.rangeStart = rangeStart_->text();
    c.rangeEnd = rangeEnd_->text();
    c.caseSensitive = caseSensitive_->isChecked();
    c.nonMatching = nonMatching_->isChecked();
}

void FilterDialog::newSearch()
{
    for (Criterion& c : criteria_) {
        const QString name = c.fieldName;
        c = Criterion{};
        c.fieldName = name;
    }
    buildFieldList();
}

void FilterDialog::showSummary()
{
    storeField();
    const std::vector<Criterion> set = criteria();
    QDialog summary(this);
    summary.setWindowTitle(QStringLiteral("过滤条件汇总"));
    auto* table = new QTableWidget(static_cast<int>(set.size()), 3, &summary);
    table->setHorizontalHeaderLabels({QStringLiteral("字段"), QStringLiteral("过滤类型"), QStringLiteral("值")});
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < static_cast<int>(set.size()); ++row) {
        const Criterion& c = set[static_cast<size_t>(row)];
        QString kind = c.by == FilterBy::Value ? matchLabel(c.match) : QStringLiteral("范围");
        if (c.nonMatching)
            kind = QStringLiteral("否 ") + kind;
        const QString value = c.by == FilterBy::Value ? c.value : c.rangeStart + QStringLiteral(" - ") + c.rangeEnd;
        table->setItem(row, 0, new QTableWidgetItem(c.fieldName));
        table->setItem(row, 1, new QTableWidgetItem(kind));
        table->setItem(row, 2, new QTableWidgetItem(value));
    }
    auto* close = new QDialogButtonBox(QDialogButtonBox::Ok, &summary);
    close->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    connect(close, &QDialogButtonBox::accepted, &summary, &QDialog::accept);
    auto* layout = new QVBoxLayout(&summary);
    layout->addWidget(table);
    layout->addWidget(close);
    summary.exec();
}

void FilterDialog::accept()
{
    storeField();
    const std::vector<Criterion> set = criteria();
    if (set.empty()) {
        if (dataset_.filtered() && !dataset_.filter().isEmpty()) {
            // An empty set of criteria removes the filter.
            dataset_.setFiltered(false);
            dataset_.setFilter(QString());
            QDialog::accept();
            return;
        }
        QMessageBox box(QMessageBox::Information, QCoreApplication::applicationName(),
                        QStringLiteral("你没有选择任何查找标准。"), QMessageBox::Ok, this);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        box.exec();
        return;
    }
    bool applied = false;
    runHandler([&] {
        dataset_.setFilter(filter_criteria::filterText(set));
        dataset_.setFiltered(true);
        applied = true;
    });
    if (applied)
        QDialog::accept();
}
