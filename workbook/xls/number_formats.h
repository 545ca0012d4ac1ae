#pragma once

#include <QString>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace workbook::xls {

// Whether a custom number format shows a date or time: it carries day, month, year, hour or
// second codes outside quotes, escapes and [brackets], and more of them than digit codes.
bool isDateFormatText(const QString& format);

// Tells for each XF index whether numbers in cells of that style read as dates.
class DateStyles {
public:
    void addFormat(std::uint16_t id, const QString& text) { formats_[id] = text; }
    void addXf(std::uint16_t formatId) { xfFormats_.push_back(formatId); }
    // Decides every XF once the workbook's FORMAT and XF records are read.
    void finish();

    bool isDate(std::uint16_t xf) const { return xf < dateXf_.size() && dateXf_[xf]; }
    bool isDateFormat(std::uint16_t formatId) const;
    std::size_t xfCount() const { return xfFormats_.size(); }
    std::uint16_t formatOfXf(std::uint16_t xf) const { return xf < xfFormats_.size() ? xfFormats_[xf] : 0; }

private:
    std::unordered_map<std::uint16_t, QString> formats_;
    std::vector<std::uint16_t> xfFormats_;
    std::vector<bool> dateXf_;
};

} // namespace workbook::xls
