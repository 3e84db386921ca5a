#pragma once
#include <string>
#include <string_view>
// Release notes reduced safely to the framework's text mark-up (the one ui/draw/markup_text and the
// text control with showhtml draw): paragraphs, line breaks, list items as bullets, bold, italic,
// headings as bold, links kept as links only for https (others as their text); everything else
// as text, scripts/styles dropped, entities decoded, the mark-up's own special characters escaped.
std::wstring ReleaseNotesToMarkup(std::wstring_view notes, bool plainText);
