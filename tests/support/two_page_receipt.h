#pragma once

// A small receipt template of two pages: a label and the page number on a
// detail band printed twice. Printing tests write it where they need a file.

namespace orvane::test {

inline constexpr const char* kTwoPageReceipt = "object rptReceipt: TjxReport\r\n"
                                               "  AutoStop = False\r\n"
                                               "  PageLimit = 2\r\n"
                                               "  PrinterSetup.DocumentName = 'Receipt'\r\n"
                                               "  PrinterSetup.mmPaperHeight = 297000\r\n"
                                               "  PrinterSetup.mmPaperWidth = 210000\r\n"
                                               "  Version = '9.01'\r\n"
                                               "  object jxDetailBand1: TjxDetailBand\r\n"
                                               "    mmHeight = 200000\r\n"
                                               "    object jxLabel1: TjxLabel\r\n"
                                               "      Caption = 'Trust account receipt'\r\n"
                                               "      mmHeight = 5000\r\n"
                                               "      mmWidth = 80000\r\n"
                                               "    end\r\n"
                                               "    object jxSystemVariable1: TjxSystemVariable\r\n"
                                               "      VarType = vtPageNo\r\n"
                                               "      mmTop = 10000\r\n"
                                               "      mmHeight = 5000\r\n"
                                               "      mmWidth = 20000\r\n"
                                               "    end\r\n"
                                               "  end\r\n"
                                               "end\r\n";

} // namespace orvane::test
