#pragma once

#include <QByteArray>

// Small EDS texts written for the tests from the format's rules: a [File] and [Device] head shared by
// all, and an [IO_Info] per device kind.
namespace EdsSamples {

inline QByteArray head()
{
    return "$ Electronic Data Sheet written for the tests\n"
           "[File]\n"
           "    DescText = \"Test pump\";\n"
           "    CreateDate = 12-11-2026;\n"
           "    CreateTime = 03:15:00;\n"
           "    Revision = 1.1;\n"
           "\n"
           "[Device]\n"
           "    VendCode = 0x04D2;\n"
           "    VendName = \"Acme Drives\";\n"
           "    ProdType = 12;\n"
           "    ProdTypeStr = \"Communication Adapter\";\n"
           "    ProdCode = 56;\n"
           "    MajRev = 2;\n"
           "    MinRev = 3;\n"
           "    ProdName = \"Pump 10/6\";\n"
           "    Catalog = \"PX-10\";\n"
           "\n";
}

// Poll only: Input1 of 10 bytes, Output1 of 6 bytes.
inline QByteArray pollDevice()
{
    return head() + "[IO_Info]\n"
                    "    Default = 0x0001;\n"
                    "    PollInfo = 0x0001, 1, 1;\n"
                    "    Input1 = 10, 0, 0x0001, \"Status\", 6, \"20 04 24 64 30 03\", \"Status words\";\n"
                    "    Output1 = 6, 0, 0x0001, \"Command\", 6, \"20 04 24 65 30 03\", \"Command words\";\n";
}

// Poll with a choice of sizes: Input1 "Basic" 4 bytes, Input2 "Extended" 16 bytes (the default),
// Input3 for change of state only; Output1 "Basic" 2 bytes (the default), Output2 "Extended" 8 bytes.
inline QByteArray choiceDevice()
{
    return head() + "[IO_Info]\n"
                    "    Default = 0x0001;\n"
                    "    PollInfo = 0x0005, 2, 1;\n"
                    "    COSInfo = 0x0005, 3, 0;\n"
                    "    Input1 = 4, 0, 0x0001, \"Basic\", 6, \"20 04 24 64 30 03\", \"\";\n"
                    "    Input2 = 16, 0, 0x0001, \"Extended\", 6, \"20 04 24 66 30 03\", \"\";\n"
                    "    Input3 = 2, 0, 0x0004, \"Alarms\", 6, \"20 04 24 67 30 03\", \"\";\n"
                    "    Output1 = 2, 0, 0x0001, \"Basic\", 6, \"20 04 24 65 30 03\", \"\";\n"
                    "    Output2 = 8, 0, 0x0001, \"Extended\", 6, \"20 04 24 68 30 03\", \"\";\n";
}

// A CANopen device description: same extension, another format.
inline QByteArray canOpenFile()
{
    return "[FileInfo]\r\nFileName=valve.eds\r\nFileVersion=1\r\n\r\n"
           "[DeviceInfo]\r\nVendorName=Acme Drives\r\nProductName=Valve\r\n";
}

} // namespace EdsSamples
