#pragma once

#include <string>

namespace dn::test {

// The configuration file that a first start writes: the 24 variables of the
// application with their defaults, in name order.
inline const std::string kFirstStartConfig = "[Vars]\r\n"
                                             "CFG_DES=L.F.\r\n"
                                             "CFG_NM01=C\r\nCFG_NM02=C\r\nCFG_NM03=C\r\n"
                                             "CFG_NM04=C\r\nCFG_NM05=C\r\nCFG_NM06=C\r\n"
                                             "CFG_NM07=C\r\nCFG_NM08=C\r\nCFG_NM09=C\r\n"
                                             "CFG_NM10=C\r\n"
                                             "CFG_PW01=C\r\nCFG_PW02=C\r\nCFG_PW03=C\r\n"
                                             "CFG_PW04=C\r\nCFG_PW05=C\r\nCFG_PW06=C\r\n"
                                             "CFG_PW07=C\r\nCFG_PW08=C\r\nCFG_PW09=C\r\n"
                                             "CFG_PW10=C\r\n"
                                             "CFG_SIN=N0\r\nCFG_SOT=L.F.\r\nCFG_SUP=N0\r\n";

} // namespace dn::test
