#pragma once

#include "ErrorReport.h"
#include "app/AppContext.h"

#include <memory>

class TFFabricoreFirmWare;
class TFNew_Project;
class TFOpenConf;
class TFAbout;
class TFSoftOptions;
class TFParGen;
class TFDeviceNetNetwork;
class TFDefineModbusRegs;
class TFBoot;

// Every window of the program, each created once, the main window first: its start-up fills the
// text catalog that the dialogs put on their controls while they are created.
class AppWindows
{
public:
    explicit AppWindows(AppContext &context);
    ~AppWindows();

    TFFabricoreFirmWare *mainWindow() const { return m_main.get(); }
    TFNew_Project *newProject;
    TFOpenConf *openConf;
    TFAbout *about;
    TFSoftOptions *softOptions;
    TFParGen *parGen;
    TFDeviceNetNetwork *deviceNet;
    TFDefineModbusRegs *defineModbus;
    TFBoot *boot;

private:
    ErrorReport::CatalogInUse m_reportTexts;
    std::unique_ptr<TFFabricoreFirmWare> m_main;
};
