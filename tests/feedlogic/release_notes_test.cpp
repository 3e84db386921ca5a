#include <gtest/gtest.h>

#include "tests/feedlogic/markup_check.h"
#include "updater/feed/release_notes.h"

namespace {

TEST(ReleaseNotes, ReducesHtmlToTheMarkup) {
    struct Case {
        const wchar_t* html;
        const wchar_t* markup;
    } const cases[] = {
        {L"<p>One</p><p>Two</p>", L"One<n><n>Two"},
        {L"a<br>b<BR/>c", L"a<n>b<n>c"},
        {L"  lots \n of\tspace  ", L"lots of space"},
        {L"<b>bold</b> <strong>strong</strong> <i>it</i> <em>em</em>", L"<b>bold</b> <b>strong</b> <i>it</i> <i>em</i>"},
        {L"<h2>Fixes</h2><ul><li>one</li><li>two<ul><li>deep</li></ul></li></ul>end",
         L"<b>Fixes</b><n>\u2022 one<n>\u2022 two<n>  \u2022 deep<n>end"},
        {L"<ol><li>a<li>b</ol>", L"1. a<n>2. b"},
        {L"<a href=\"https://example.test/x?a=1&amp;b=2\">site</a>", L"<a https://example.test/x?a=1&b=2>site</a>"},
        {L"<a href='javascript:alert(1)'>js</a> <a href=http://x.test>plain</a>", L"js plain"},
        {L"<a href='https://x.test/a b'>blank</a><a href='https://x.test/}'>brace</a>", L"blankbrace"},
        {L"<a href='https://a.test'>out<a href='https://b.test'>in</a></a>", L"<a https://a.test>outin</a>"},
        {L"<a href='https://x.test/%WINDIR%'>env</a> <a href='https://x.test/a%20b%zz'>esc</a>",
         L"env <a https://x.test/a%20b%zz>esc</a>"},
        {L"&lt;b&gt; &amp; &#123;x&#x7D; &copy; &#0; &#x110000; &bogus; & amp", L"<<>b<>> & <{>x<}> \u00a9 \ufffd \ufffd &bogus; & amp"},
        {L"<script>alert('<b>')</script><style>p{}</style>ok<img src='https://t.test/i.png'>"
         L"<iframe src=x>frame text</iframe>",
         L"ok"},
        {L"<SCRIPT>never", L""},
        {L"keep <b>bold <i>both</b> after</i>", L"keep <b>bold <i>both</i></b> after"},
        {L"unclosed <b>bold", L"unclosed <b>bold</b>"},
        {L"broken <a href='https://x.test", L"broken"},
        {L"x < y > z {w}", L"x <<> y <>> z <{>w<}>"},
        {L"<!-- <b>hidden</b> -->shown<!DOCTYPE html><?php echo 1; ?>", L"shown"},
        {L"<pre>a  b\nc</pre>", L"a  b<n>c"},
        {L"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>", L"a b<n>c"},
        {L"<div><p>One</p></div><div>Two</div>", L"One<n><n>Two"},
    };
    for (const Case& c : cases) {
        const std::wstring markup = ReleaseNotesToMarkup(c.html, false);
        EXPECT_EQ(c.markup, markup) << c.html;
        EXPECT_TRUE(OnlyOurTagsBalanced(markup)) << c.html;
    }
}

TEST(ReleaseNotes, PlainTextKeepsItsLinesAndShowsEveryCharacter) {
    EXPECT_EQ(L"<<>b<>> & <{>x<}><n>two<n><n>three\u00e9 x",
              ReleaseNotesToMarkup(L"<b> & {x}\r\ntwo\n\rthree\u00e9\tx\x01", true));
}

TEST(ReleaseNotes, DeepNestingStaysBalanced) {
    std::wstring html;
    for (int i = 0; i < 200; ++i) html += L"<b><i><ul><li>";
    html += L"deep";
    const std::wstring markup = ReleaseNotesToMarkup(html, false);
    EXPECT_TRUE(OnlyOurTagsBalanced(markup) && markup.find(L"deep") != std::wstring::npos);
}

}  // namespace
