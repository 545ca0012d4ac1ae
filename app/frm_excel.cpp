#include "app/frm_excel.h"

#include "app/application.h"
#include "app/filter_dialog.h"
#include "app/panels.h"
#include "app/picture_list.h"
#include "app/sheet_grid.h"
#include "app/sheet_model.h"
#include "app/toolbar_flow_layout.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QColor buttonFaceColour() { return QPalette().color(QPalette::Button); }
const QColor clGreen(0x00, 0x80, 0x00);
const QColor clYellow(0xFF, 0xFF, 0x00);
const QColor clBlue(0x00, 0x00, 0xFF);
const QColor clBlack(0x00, 0x00, 0x00);

QFont songFont(int pixels)
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixels);
    return font;
}

// The drop-down lists show their items at a fixed height.
class ItemHeightDelegate : public QStyledItemDelegate {
public:
    ItemHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

QComboBox* sheetBarList(const QString& name, const QRect& geometry, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setGeometry(geometry);
    list->setFont(songFont(19));
    QPalette p = list->palette();
    p.setColor(QPalette::Text, clBlue);
    p.setColor(QPalette::ButtonText, clBlue);
    list->setPalette(p);
    list->setItemDelegate(new ItemHeightDelegate(19, list));
    return list;
}

QPushButton* sheetBarButton(const QString& name, const QString& caption, const QRect& geometry, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setFont(songFont(19));
    QPalette p = button->palette();
    p.setColor(QPalette::ButtonText, clBlack);
    button->setPalette(p);
    button->setEnabled(false);
    return button;
}

} // namespace

Tfrm_Excel::Tfrm_Excel() : QWidget(nullptr)
{
    setObjectName(QStringLiteral("frm_Excel"));
    setWindowTitle(QStringLiteral("Varnelo工具(Excel导入)"));
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    QPalette p = palette();
    p.setColor(QPalette::Window, buttonFaceColour());
    setPalette(p);
    // The restored place; the window is shown maximised.
    move(215, 104);
    resize(818, 481);

    ConnExcel.setLoginPrompt(false);
    ConnADO.setLoginPrompt(false);
    atTable.setTableName(QStringLiteral("[sheet1$]"));
    dsTable = std::make_unique<SheetModel>(atTable);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolbar();
    buildSheetArea();
    buildStatusBar();
    layout->addWidget(Toolbar1);
    layout->addWidget(Panel1, 1);
    layout->addWidget(StatusBar1);

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::AnyFile);
    OpenDialog1->setNameFilters({QStringLiteral("*.xls"), QStringLiteral("*.xlsx")});
    OpenDialog1->selectNameFilter(QStringLiteral("*.xls"));
    OpenDialog1->selectFile(QStringLiteral("EXCEL文件"));

    FilterDialog1 = new FilterDialog(atTable, this);
    connect(dsTable.get(), &SheetModel::tableClosed, FilterDialog1, &FilterDialog::clearCriteria);

    setTabOrder();
    connectHandlers();
}

Tfrm_Excel::~Tfrm_Excel() = default;

void Tfrm_Excel::buildToolbar()
{
    Toolbar1 = new ToolbarFrame(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    auto* flow = new ToolbarFlowLayout(Toolbar1);

    auto toolButton = [&](const char* name, const QString& caption, const QString& hint, int pictureIndex,
                          int disabledIndex) {
        auto* button = new QToolButton(Toolbar1);
        button->setObjectName(QLatin1String(name));
        button->setText(caption);
        button->setToolTip(hint);
        QIcon icon;
        icon.addPixmap(picture_list::picture(pictureIndex), QIcon::Normal);
        icon.addPixmap(picture_list::picture(disabledIndex), QIcon::Disabled);
        button->setIcon(icon);
        button->setIconSize({picture_list::Size, picture_list::Size});
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(60, 40);
        flow->addWidget(button);
        return button;
    };
    auto separator = [&](const char* name) {
        auto* line = new QFrame(Toolbar1);
        line->setObjectName(QLatin1String(name));
        line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        line->setFixedSize(8, 25);
        flow->addWidget(line);
    };
    auto radioButton = [&](const char* name, const QString& caption) {
        auto* radio = new QRadioButton(caption, Toolbar1);
        radio->setObjectName(QLatin1String(name));
        radio->setFixedSize(113, 17);
        flow->addWidget(radio);
        return radio;
    };
    auto pushButton = [&](const char* name, const QString& caption) {
        auto* button = new QPushButton(caption, Toolbar1);
        button->setObjectName(QLatin1String(name));
        button->setFixedSize(131, 25);
        flow->addWidget(button);
        return button;
    };

    using namespace picture_list;
    BtnOpen = toolButton("BtnOpen", QStringLiteral("打开Excel"), QStringLiteral("打开EXCEL文件"), Open, Open);
    BtnSave = toolButton("BtnSave", QStringLiteral("保存Excel"), QStringLiteral("保存"), Save, SaveGrey);
    separator("Spacer1");
    BtnInsertRecord = toolButton("BtnInsertRecord", QStringLiteral("增加记录"), QStringLiteral("增加记录"), InsertRecord,
                                 InsertRecordGrey);
    BtnDeleteRecord = toolButton("BtnDeleteRecord", QStringLiteral("删除记录"), QStringLiteral("删除记录"), DeleteRecord,
                                 DeleteRecordGrey);
    separator("Spacer2");
    BtnView = toolButton("BtnView", QStringLiteral("数据筛选"), QStringLiteral("数据筛选"), View, View);
    BtnExit = toolButton("BtnExit", QStringLiteral("退出"), QString(), Exit, Save);
    rb2003 = radioButton("rb2003", QStringLiteral("Office 2003"));
    rb2007 = radioButton("rb2007", QStringLiteral("Office 2007"));
    btnDelete = pushButton("btnDelete", QStringLiteral("清除所有产品资料"));
    Button1 = pushButton("Button1", QStringLiteral("数据分析"));
    Button2 = pushButton("Button2", QStringLiteral("客户编码同步"));
    btn1 = pushButton("btn1", QStringLiteral("清除所有客户信息"));

    rb2003->setChecked(true);
    BtnSave->setEnabled(false);
    BtnInsertRecord->setEnabled(false);
    BtnDeleteRecord->setEnabled(false);
}

void Tfrm_Excel::buildSheetArea()
{
    Panel1 = new Panel(Panel::Bevel::Sunken, clGreen, this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setCaption(QStringLiteral("打开EXCEL文件，选择工作表！"), songFont(19), clYellow);

    Panel2 = new Panel(Panel::Bevel::Raised, buttonFaceColour(), Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(30);
    cbTableName = sheetBarList(QStringLiteral("cbTableName"), {1, 1, 248, 27}, Panel2);
    btnOpenTable = sheetBarButton(QStringLiteral("btnOpenTable"), QStringLiteral("打开表格"), {263, 2, 113, 25}, Panel2);
    btnExec = sheetBarButton(QStringLiteral("btnExec"), QStringLiteral("导入数据"), {391, 2, 113, 25}, Panel2);
    cbbTable = sheetBarList(QStringLiteral("cbbTable"), {513, 1, 240, 27}, Panel2);
    cbbTable->addItems({QStringLiteral("产品资料（product）"), QStringLiteral("客户信息（customers）"),
                        QStringLiteral("送货产品（deliveryorder）")});
    cbbTable->setCurrentIndex(-1);

    // The picture control holds no picture; the grid covers the same place once a sheet is open.
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    gdTable = new SheetGrid(Panel1);
    gdTable->setObjectName(QStringLiteral("gdTable"));
    gdTable->setSheetModel(dsTable.get());
    gdTable->hide();

    auto* area = new QGridLayout;
    area->setContentsMargins(0, 0, 0, 0);
    area->addWidget(Image1, 0, 0);
    area->addWidget(gdTable, 0, 0);
    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0); // inside the sunken edge
    layout->setSpacing(0);
    layout->addWidget(Panel2);
    layout->addLayout(area, 1);
}

void Tfrm_Excel::buildStatusBar()
{
    StatusBar1 = new StatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->pane1()->setObjectName(QStringLiteral("StatusPane1"));
    StatusBar1->pane2()->setObjectName(QStringLiteral("StatusPane2"));
    StatusBar1->pane1()->setText(QStringLiteral("Excel 数据导出程序"));
}

void Tfrm_Excel::setTabOrder()
{
    const QList<QWidget*> order{rb2003,   rb2007,      btnDelete,    Button1, Button2, btn1,
                                cbTableName, btnOpenTable, btnExec, cbbTable, gdTable};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

template <class Button>
void Tfrm_Excel::onClick(Button* button, void (Tfrm_Excel::*handler)())
{
    connect(button, &Button::clicked, this, [this, handler] { runHandler([&] { (this->*handler)(); }); });
}

void Tfrm_Excel::connectHandlers()
{
    onClick(BtnOpen, &Tfrm_Excel::BtnOpenClick);
    onClick(BtnSave, &Tfrm_Excel::BtnSaveClick);
    onClick(BtnInsertRecord, &Tfrm_Excel::BtnInsertRecordClick);
    onClick(BtnDeleteRecord, &Tfrm_Excel::BtnDeleteRecordClick);
    onClick(BtnView, &Tfrm_Excel::BtnViewClick);
    onClick(BtnExit, &Tfrm_Excel::BtnExitClick);
    onClick(btnOpenTable, &Tfrm_Excel::btnOpenTableClick);
    onClick(btnExec, &Tfrm_Excel::btnExecClick);
    onClick(btnDelete, &Tfrm_Excel::btnDeleteClick);
    onClick(btn1, &Tfrm_Excel::btn1Click);
    onClick(Button1, &Tfrm_Excel::Button1Click);
    onClick(Button2, &Tfrm_Excel::Button2Click);
    connect(gdTable, &SheetGrid::titleButtonClicked, this,
            [this](const QString& fieldName) { runHandler([&] { gdTableTitleButtonClick(fieldName); }); });
}
