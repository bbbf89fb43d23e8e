// The worked example: two small calendars, the first with two-digit years and
// a heading, the second with four-digit years, and every form the program
// makes of them; the fixed parts of the web page.
#pragma once

#include <string>

namespace unisci::testing {

inline const std::string kExample1 =
    "Giornata 1\n1 07/09/08 15:00 Roma Alfa - Beta\n2 14/09/08 20:45 Bari Gamma - Delta\n";
inline const std::string kExample2 =
    "10 07/09/2008 18:00 Lecce Epsilon - Zeta\n11 10/09/2008 15:00 Siena Eta - Theta\n";

// Four match lines; an empty line after each line chosen for its earlier date.
inline const std::string kExampleMerged =
    "1 07/09/08 15:00 Roma Alfa - Beta\n"
    "10 07/09/08 18:00 Lecce Epsilon - Zeta\n"
    "\n"
    "11 10/09/08 15:00 Siena Eta - Theta\n"
    "\n"
    "2 14/09/08 20:45 Bari Gamma - Delta\n";

inline const std::string kExampleTable =
    "1\t1\t07/09/08\t15:00\tRoma\tAlfa - Beta\n"
    "2\t10\t07/09/08\t18:00\tLecce\tEpsilon - Zeta\n"
    "3\t\n"
    "4\t11\t10/09/08\t15:00\tSiena\tEta - Theta\n"
    "5\t\n"
    "6\t2\t14/09/08\t20:45\tBari\tGamma - Delta\n";

// The web page around its rows, and the parts of a row. The page of calendars
// in UTF-8, ASCII included, declares it in its second line.
inline const std::string kPageOpening =
    "<HTML>\n<HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></HEAD>\n"
    "<BODY>\n<TABLE border=1 bgcolor=#80ff80>\n"
    "<TR><TD><b>N</b></TD><TD align=center><b>DATA</b></TD><TD align=center><b>ORARIO</b></TD>"
    "<TD align=center><b>LUOGO</b></TD><TD align=center><b>PARTITA</b></TD></TR>";
inline const std::string kRowOpening = "<TR bgcolor=#c0ffff>\n\t<TD>";
inline const std::string kCellBreak = "</TD>\n\t<TD>";
inline const std::string kRowClosing = "\n\t</TD>\n</TR>\n";
inline const std::string kPageClosing = "\n</TABLE>\n</BODY>\n</HTML>";

inline const std::string kExamplePage =
    kPageOpening +
    "<TR bgcolor=#c0ffff>\n\t<TD>1</TD>\n\t<TD>07/09/08</TD>\n\t<TD>15:00</TD>\n\t<TD>Roma</TD>\n"
    "\t<TD>Alfa - Beta\n\t</TD>\n</TR>\n"
    "<TR bgcolor=#c0ffff>\n\t<TD>10</TD>\n\t<TD>07/09/08</TD>\n\t<TD>18:00</TD>\n\t<TD>Lecce</TD>\n"
    "\t<TD>Epsilon - Zeta\n\t</TD>\n</TR>\n"
    "<TR bgcolor=#c0ffff>\n\t<TD>\n\t</TD>\n</TR>\n"
    "<TR bgcolor=#c0ffff>\n\t<TD>11</TD>\n\t<TD>10/09/08</TD>\n\t<TD>15:00</TD>\n\t<TD>Siena</TD>\n"
    "\t<TD>Eta - Theta\n\t</TD>\n</TR>\n"
    "<TR bgcolor=#c0ffff>\n\t<TD>\n\t</TD>\n</TR>\n"
    "<TR bgcolor=#c0ffff>\n\t<TD>2</TD>\n\t<TD>14/09/08</TD>\n\t<TD>20:45</TD>\n\t<TD>Bari</TD>\n"
    "\t<TD>Gamma - Delta\n\t</TD>\n</TR>\n"
    "\n</TABLE>\n</BODY>\n</HTML>";

}  // namespace unisci::testing
