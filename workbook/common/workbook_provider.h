#pragma once

namespace workbook {

// Registers the workbook providers with the data-access layer: the ACE-style provider
// (.xlsx, or .xls told by content) and the Jet-style Excel provider (.xls only). Call once
// at start, before the first workbook connection.
void registerProviders();

} // namespace workbook
