// The file checker that the generation tests rely on finds what it is there to find.
#include <gtest/gtest.h>

#include "report/tests/generation/report_integrity.h"

namespace generation_test {
namespace {

std::string File(const std::string& data) {
    return "ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('QUILLMARK'));\nENDSEC;\nDATA;\n" + data +
           "ENDSEC;\nEND-ISO-10303-21;\n";
}

TEST(ReportIntegrity, FindsOrphansAndDanglingReferences) {
    struct Case {
        const char* name;
        std::string data;
        std::vector<std::string> orphans;
        std::vector<std::string> dangling;
    };
    const Case cases[] = {
        {"reached from the root and the top kinds",
         "#1=ZOR_REPORT(#2,$,$,$,'#9 in a text',(#3),(),1);\n#2=ZOR_POINT(1,2);\n"
         "#3=ZOR_REPORT_SHEET('a''#8',$,#4,$,$,$,$,());\n#4=ZOR_POINT(5,6);\n"
         "#5=ZOR_REPORT_PARAM('p',0,$,$,$,'');\n#6=ZOR_TABLE_CONTENT((#3),(),'t');\n"
         "#7=ZOR_REPORT_PIC($,$,$,$,$,$,\"0#8\",1);\n",
         {"#7=ZOR_REPORT_PIC"}, {}},
        {"an instance nothing reaches", "#1=ZOR_REPORT($,$,$,$,$,(),(),1);\n#2=ZOR_FONT('Arial',80,400,0,204,0,0);\n",
         {"#2=ZOR_FONT"}, {}},
        {"a reference to an instance the file lacks", "#1=ZOR_REPORT(#5,$,$,$,$,(),(),1);\n", {}, {"#1 -> #5"}},
        {"an orphan's reference counts too", "#1=ZOR_REPORT($,$,$,$,$,(),(),1);\n#2=ZOR_VALUE(#7,1,'',0,$,18,1,0);\n",
         {"#2=ZOR_VALUE"}, {"#2 -> #7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IntegrityReport r = CheckReportText(File(c.data));
        ASSERT_TRUE(r.parsed) << r.error;
        EXPECT_EQ(r.orphans, c.orphans);
        EXPECT_EQ(r.dangling, c.dangling);
    }
}

TEST(ReportIntegrity, UnreadableTextIsNoCleanReport) {
    for (const std::string& text : {std::string("not a file"), File("#1=ZOR_REPORT((;\n"), File("#1=ZOR_REPORT();\n#1=ZOR_FONT();\n")}) {
        const IntegrityReport r = CheckReportText(text);
        EXPECT_FALSE(r.Clean()) << text;
        EXPECT_FALSE(r.error.empty());
    }
}

}  // namespace
}  // namespace generation_test
