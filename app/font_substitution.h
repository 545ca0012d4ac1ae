#pragma once

// The window names the Windows faces "MS Sans Serif" and "宋体"; on this platform they are
// mapped to installed faces with a CJK fallback, so Chinese text never shows as boxes.
void installFontSubstitutions();
