#pragma once
// Release notes come from the vendor's server: whatever they hold, the mark-up made of them may
// only carry the reducer's own tags (a, b, i, n), each one opened closed again in order.

#include <gtest/gtest.h>

#include <string>

#include "ui/draw/markup_tokenizer.h"

inline ::testing::AssertionResult OnlyOurTagsBalanced(const std::wstring& markup) {
    std::wstring open;
    for (const wchar_t* p = markup.c_str(); *p != L'\0';) {
        const MarkupToken token = NextMarkupToken(p, false);
        if (token.kind == MarkupTokenKind::OpenTag && token.letter != L'n') {
            if (std::wstring(L"abi").find(token.letter) == std::wstring::npos) {
                return ::testing::AssertionFailure() << "foreign tag " << static_cast<char>(token.letter);
            }
            open += token.letter;
        } else if (token.kind == MarkupTokenKind::CloseTag) {
            if (open.empty() || open.back() != token.letter) return ::testing::AssertionFailure() << "unbalanced";
            open.pop_back();
        }
        if (token.next <= p) return ::testing::AssertionFailure() << "the tokenizer did not advance";
        p = token.next;
    }
    return open.empty() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "tags left open";
}
