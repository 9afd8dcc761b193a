#include <gtest/gtest.h>

#include <cstring>

#include "afxwin.h"

namespace {

CString formatted(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CString out;
    out.FormatV(format, args);
    va_end(args);
    return out;
}

TEST(CStringFormat, WindowsSizePrefixesMeanWhatTheyMeantThere)
{
    LONG negative = -5;
    DWORD big = 0xFFFFFFF0u;
    EXPECT_EQ(formatted("%ld|%lu|%lx", negative, big, big), "-5|4294967280|fffffff0");
    EXPECT_EQ(formatted("%I64d|%lld", static_cast<long long>(-1) << 40, 7LL), "-1099511627776|7");
    EXPECT_EQ(formatted("%.2Lf|%Le", 3.14159, 2.0), "3.14|2.000000e+00");
    EXPECT_EQ(formatted("%Iu", static_cast<size_t>(12)), "12");
    EXPECT_EQ(formatted("%5.1f%%|%-4d|%04X|%c|%s", 2.25, 7, 0xAB, 'z', "ok"), "  2.2%|7   |00AB|z|ok");
    // %n would write through an argument: it is dropped.
    int sink = 99;
    EXPECT_EQ(formatted("a%nb", &sink), "ab");
    EXPECT_EQ(sink, 99);
    // What is no conversion here prints as written, and consumes nothing.
    EXPECT_EQ(formatted("%y|%S|%d", 5), "%y|%S|5");
    EXPECT_EQ(formatted("100%"), "100");
}

TEST(CStringFormat, ACStringArgumentStandsForItsText)
{
    CString name("COM3"), out;
    out.Format("%s=%d", name, 4);
    EXPECT_EQ(out, "COM3=4");
    out.AppendFormat(" [%s]", CString("x"));
    EXPECT_EQ(out, "COM3=4 [x]");
    char buffer[8] = "buf";
    float half = 0.5f;
    out.Format("%s %.1f", buffer, half);
    EXPECT_EQ(out, "buf 0.5");
}

TEST(CStringFormat, LongResultsAndAppend)
{
    CString s;
    s.Format("%0300d", 1);
    EXPECT_EQ(s.GetLength(), 300);
    EXPECT_EQ(s.Right(2), "01");
    s.Format("%d", 1);
    s.AppendFormat("-%s-%.1f", "x", 0.25);
    EXPECT_EQ(s, "1-x-0.2");
}

TEST(CStringSlices, MidLeftRightClampAsTheClassLibraryDoes)
{
    const CString s("Heading");
    struct Case {
        CString got;
        const char* want;
    } cases[] = {
        {s.Mid(2), "ading"},     {s.Mid(2, 3), "adi"},   {s.Mid(-3, 2), "He"},  {s.Mid(5, 99), "ng"},
        {s.Mid(99), ""},         {s.Mid(1, -1), ""},     {s.Left(3), "Hea"},    {s.Left(99), "Heading"},
        {s.Left(-1), ""},        {s.Right(3), "ing"},    {s.Right(99), "Heading"}, {s.Right(0), ""},
        {s.SpanIncluding("Hae"), "Hea"}, {s.SpanExcluding("i"), "Head"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want);
}

TEST(CStringSearch, FindAndReverseFind)
{
    const CString s("$KVCNF,1,2*3F");
    EXPECT_EQ(s.Find(','), 6);
    EXPECT_EQ(s.Find(',', 7), 8);
    EXPECT_EQ(s.Find(',', 9), -1);
    EXPECT_EQ(s.Find("CNF"), 3);
    EXPECT_EQ(s.Find("CNF", 4), -1);
    EXPECT_EQ(s.Find(""), 0);
    EXPECT_EQ(s.Find('x', -1), -1);
    EXPECT_EQ(s.Find("1", 100), -1);
    EXPECT_EQ(s.ReverseFind(','), 8);
    EXPECT_EQ(s.ReverseFind('#'), -1);
    EXPECT_EQ(s.FindOneOf("*,"), 6);
}

TEST(CStringEdit, ReplaceRemoveInsertDelete)
{
    CString s("a,b,,c");
    EXPECT_EQ(s.Replace(",", ";;"), 3);
    EXPECT_EQ(s, "a;;b;;;;c");
    EXPECT_EQ(s.Replace("", "x"), 0);
    EXPECT_EQ(s.Replace(";;", ""), 3);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(s.Replace('b', 'B'), 1);
    EXPECT_EQ(s.Remove('a'), 1);
    EXPECT_EQ(s, "Bc");
    EXPECT_EQ(s.Insert(1, "--"), 4);
    EXPECT_EQ(s.Insert(99, '!'), 5);
    EXPECT_EQ(s, "B--c!");
    EXPECT_EQ(s.Delete(1, 2), 3);
    EXPECT_EQ(s.Delete(2, 50), 2);
    EXPECT_EQ(s.Delete(9), 2);
    EXPECT_EQ(s, "Bc");
}

TEST(CStringEdit, TrimBlanksAndGivenCharacters)
{
    struct Case {
        const char* text;
        const char* both;
        const char* left;
        const char* right;
    } cases[] = {
        {"  x y \t\r\n", "x y", "x y \t\r\n", "  x y"},
        {"", "", "", ""},
        {" \t ", "", "", ""},
        {"x", "x", "x", "x"},
    };
    for (const Case& c : cases) {
        CString both(c.text), left(c.text), right(c.text);
        EXPECT_EQ(both.Trim(), c.both) << c.text;
        EXPECT_EQ(left.TrimLeft(), c.left) << c.text;
        EXPECT_EQ(right.TrimRight(), c.right) << c.text;
    }
    CString zeros("00120.500");
    EXPECT_EQ(zeros.TrimRight('0'), "00120.5");
    EXPECT_EQ(zeros.TrimLeft("0"), "120.5");
    CString quoted("\"'a'\"");
    EXPECT_EQ(quoted.Trim("\"'"), "a");
}

TEST(CStringCompare, CaseAndOrder)
{
    CString s("Talvor");
    EXPECT_EQ(s.Compare("Talvor"), 0);
    EXPECT_LT(s.Compare("talvor"), 0);
    EXPECT_EQ(s.CompareNoCase("TALVOR"), 0);
    EXPECT_GT(s.CompareNoCase("TALVO"), 0);
    // Bytes above 127 compare unsigned and keep their case.
    EXPECT_LT(CString("a").Compare("\xE9"), 0);
    EXPECT_NE(CString("\xE9").CompareNoCase("\xC9"), 0);
    EXPECT_EQ(CString("Abc\xE9").MakeUpper(), "ABC\xE9");
    EXPECT_EQ(CString("AbC").MakeLower(), "abc");
    EXPECT_TRUE(s == "Talvor");
    EXPECT_TRUE("Talvor" == s);
    EXPECT_TRUE(s != CString("x"));
    EXPECT_TRUE(CString("a") < CString("b"));
    EXPECT_EQ("<" + s + '>' + CString("!"), "<Talvor>!");
}

TEST(CStringBuffer, GetBufferAndReleaseBuffer)
{
    CString s("abc");
    char* buffer = s.GetBuffer(10);
    std::memcpy(buffer, "hello", 6);
    s.ReleaseBuffer();
    EXPECT_EQ(s, "hello");
    buffer = s.GetBufferSetLength(3);
    EXPECT_EQ(std::string(buffer, 3), "hel");
    s.ReleaseBuffer(2);
    EXPECT_EQ(s, "he");
    s.ReleaseBuffer(50);  // longer than the string: nothing is invented
    EXPECT_EQ(s, "he");
    EXPECT_EQ(s.GetAt(1), 'e');
    EXPECT_EQ(s.GetAt(5), 0);
    s.SetAt(7, 'x');
    EXPECT_EQ(s, "he");
    EXPECT_EQ(CString('-', 3), "---");
    EXPECT_EQ(CString("abcdef", 2), "ab");
    EXPECT_EQ(CString(static_cast<LPCSTR>(nullptr)), "");
}

TEST(CStringTokenize, WalksTokensAndEnds)
{
    CString s(",a,,bc,");
    int position = 0;
    EXPECT_EQ(s.Tokenize(",", position), "a");
    EXPECT_EQ(s.Tokenize(",", position), "bc");
    EXPECT_EQ(s.Tokenize(",", position), "");
    EXPECT_EQ(position, -1);
}

}  // namespace
