#include "workbook/common/workbook_provider.h"

#include "data/connection.h"
#include "data/connection_string.h"
#include "data/error.h"
#include "workbook/common/engine.h"
#include "workbook/common/messages.h"
#include "workbook/common/sheet_source.h"
#include "workbook/common/table_naming.h"

namespace workbook {
namespace {

class WorkbookProvider : public data::Provider {
public:
    explicit WorkbookProvider(std::unique_ptr<Workbook> book) : book_(std::move(book)) {}

    QStringList tableNames() override { return listTables(*book_); }

    std::unique_ptr<data::RowSource> openTable(const QString& commandText) override
    {
        return std::make_unique<SheetSource>(*book_, resolveTable(*book_, commandText));
    }

    std::unique_ptr<data::RowSource> openQuery(const QString&, const data::Parameters&) override
    {
        throw data::Error(QStringLiteral("工作簿连接只能打开工作表，不能执行查询语句。"));
    }

    int execute(const QString&, const data::Parameters&) override
    {
        throw data::Error(QStringLiteral("工作簿连接只能打开工作表，不能执行语句。"));
    }

private:
    std::unique_ptr<Workbook> book_;
};

std::unique_ptr<Workbook> openXlsFile(const QString& path)
{
#ifdef VARNELO_WORKBOOK_XLS
    return openXls(path);
#else
    throw cannotOpen(path, QStringLiteral("暂不支持 .xls 工作簿。"));
#endif
}

QString dataSourceOf(const data::ConnectionString& cs)
{
    const QString path = cs.value(QStringLiteral("Data Source"));
    if (path.isEmpty())
        throw data::Error(QStringLiteral("连接字符串中没有指定工作簿文件（Data Source）。"));
    return path;
}

// The ACE-style provider: the content decides the engine, not the file's extension.
std::unique_ptr<data::Provider> openAnyWorkbook(const data::ConnectionString& cs)
{
    const QString path = dataSourceOf(cs);
    switch (detectFormat(path)) {
    case FileFormat::Zip: return std::make_unique<WorkbookProvider>(openXlsx(path));
    case FileFormat::CompoundFile: return std::make_unique<WorkbookProvider>(openXlsFile(path));
    case FileFormat::Other: break;
    }
    throw notExpectedFormat();
}

// The Jet-style Excel provider reads BIFF workbooks only.
std::unique_ptr<data::Provider> openBiffWorkbook(const data::ConnectionString& cs)
{
    const QString path = dataSourceOf(cs);
    if (detectFormat(path) != FileFormat::CompoundFile)
        throw notExpectedFormat();
    return std::make_unique<WorkbookProvider>(openXlsFile(path));
}

} // namespace

void registerProviders()
{
    data::registerProvider(data::ProviderKind::Workbook, openAnyWorkbook);
    data::registerProvider(data::ProviderKind::Xls, openBiffWorkbook);
}

} // namespace workbook
