#include "import/import_target.h"

#include "data/business_tables.h"
#include "data/user_dialog.h"

namespace importer {

const QString productItem = QStringLiteral("产品资料（product）");
const QString customersItem = QStringLiteral("客户信息（customers）");
const QString deliveryOrderItem = QStringLiteral("送货产品（deliveryorder）");

namespace {

struct Keyword {
    QLatin1StringView word;
    ImportTarget target;
};

// Searched in this order: a text naming both "deliveryorder" and "product" means products.
const Keyword& keyword(int i)
{
    static const Keyword keywords[] = {
        {QLatin1StringView("product"),
         {data::business::T_Product, data::business::GoodsNO, QStringLiteral("产品资料"), QStringLiteral("您确定导入产品资料吗？")}},
        {QLatin1StringView("customers"),
         {data::business::T_Customers, data::business::CustomerID, QStringLiteral("客户信息"), QStringLiteral("您确定客户信息吗？")}},
        {QLatin1StringView("deliveryorder"),
         {data::business::T_Deliveryorder_Item, data::business::GoodsNO, QStringLiteral("产品资料"), QStringLiteral("您确定导入产品资料吗？")}},
    };
    return keywords[i];
}
constexpr int keywordCount = 3;

// Blanks and control characters, as the list texts are trimmed.
QString trimmed(const QString& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

// Only A-Z change: nothing else of the text is touched, whatever its script.
QString asciiLower(QString text)
{
    for (QChar& c : text)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return text;
}

QString targetText(const QString& targetListText, const QString& sheetName)
{
    if (!trimmed(targetListText).isEmpty())
        return targetListText;
    const qsizetype dollar = sheetName.indexOf(QLatin1Char('$'));
    if (dollar < 0)
        return {};
    return trimmed(sheetName.left(dollar));
}

} // namespace

std::optional<ImportTarget> findImportTarget(const QString& targetListText, const QString& sheetName)
{
    const QString text = asciiLower(targetText(targetListText, sheetName));
    for (int i = 0; i < keywordCount; ++i)
        if (text.contains(keyword(i).word))
            return keyword(i).target;
    return std::nullopt;
}

std::optional<ImportTarget> chooseImportTarget(const QString& targetListText, const QString& sheetName,
                                               data::UserDialog& dialog)
{
    std::optional<ImportTarget> target = findImportTarget(targetListText, sheetName);
    if (target && !dialog.askOkCancel(target->question, QStringLiteral("提示")))
        return std::nullopt;
    return target;
}

} // namespace importer
