// The state images of the breakpoint list (bitmap 135): a 48x16 strip,
// 16 pixels per image: 0 none, 1 disabled (a struck ring), 2 enabled (a red
// disc). Yellow is the mask colour.
#pragma once

namespace sarvik::res {

inline const char* const kBpStatesXpm[] = {"48 16 4 1",
                                           "y c #FFFF00",
                                           "w c #FFFFFF",
                                           "r c #A00000",
                                           "R c #E02020",
                                           "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy",
                                           "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy",
                                           "yyyyyyyyyyyyyyyyyyyyyrrrrrryyyyyyyyyyrrrrrryyyyy",
                                           "yyyyyyyyyyyyyyyyyyyrrrwwwwrrryyyyyyrrrRRRRrrryyy",
                                           "yyyyyyyyyyyyyyyyyyyrrwwwwwwrryyyyyyrrRRRRRRrryyy",
                                           "yyyyyyyyyyyyyyyyyyrrwrwwwwwwrryyyyrrRRRRRRRRrryy",
                                           "yyyyyyyyyyyyyyyyyyrwwwrwwwwwwryyyyrRRRRRRRRRRryy",
                                           "yyyyyyyyyyyyyyyyyyrwwwwrwwwwwryyyyrRRRRRRRRRRryy",
                                           "yyyyyyyyyyyyyyyyyyrwwwwwrwwwwryyyyrRRRRRRRRRRryy",
                                           "yyyyyyyyyyyyyyyyyyrwwwwwwrwwwryyyyrRRRRRRRRRRryy",
                                           "yyyyyyyyyyyyyyyyyyrrwwwwwwrwrryyyyrrRRRRRRRRrryy",
                                           "yyyyyyyyyyyyyyyyyyyrrwwwwwwrryyyyyyrrRRRRRRrryyy",
                                           "yyyyyyyyyyyyyyyyyyyrrrwwwwrrryyyyyyrrrRRRRrrryyy",
                                           "yyyyyyyyyyyyyyyyyyyyyrrrrrryyyyyyyyyyrrrrrryyyyy",
                                           "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy",
                                           "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy"};

}  // namespace sarvik::res
