#include "base/EntryName.h"

#include <gtest/gtest.h>

namespace quire {
namespace {

TEST(EntryNameTest, NamesThatWouldLandElsewhereAreRefused) {
    struct Case {
        const wchar_t* name;
        bool safe;
    };
    const Case cases[] = {
        {L"Book1.shf", true}, {L"kept..shf", true}, {L"console.txt", true}, {L"COM0", true},
        {L"LPT10", true},     {L".hidden", true},   {L"", false},           {L".", false},
        {L"..", false},       {L"a/b", false},      {L"a\\b", false},       {L"a:b", false},
        {L"C:", false},       {L"star*", false},    {L"what?", false},      {L"quote\"", false},
        {L"<less", false},    {L"pipe|", false},    {L"tab\tname", false},  {L"ends.", false},
        {L"ends ", false},    {L"CON", false},      {L"con.txt", false},    {L"Nul", false},
        {L"COM1.xls", false}, {L"lpt9", false},     {L"CONOUT$", false},    {L"AUX .txt", false},
        {L"PRN", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSafeEntryName(c.name), c.safe) << c.name;
    }
}

} // namespace
} // namespace quire
