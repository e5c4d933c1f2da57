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

// Every window of the program, the main window first: its start-up fills the text catalog that the
// dialogs put on their controls when they are made. Each dialog is made the first time it is asked
// for, here or by its button on the main window, and is the same window from then on.
class AppWindows
{
public:
    explicit AppWindows(AppContext &context);
    ~AppWindows();

    TFFabricoreFirmWare *mainWindow() const { return m_main.get(); }
    TFNew_Project *newProject() const;
    TFOpenConf *openConf() const;
    TFAbout *about() const;
    TFSoftOptions *softOptions() const;
    TFParGen *parGen() const;
    TFDeviceNetNetwork *deviceNet() const;
    TFDefineModbusRegs *defineModbus() const;
    TFBoot *boot() const;

private:
    ErrorReport::CatalogInUse m_reportTexts;
    std::unique_ptr<TFFabricoreFirmWare> m_main;
};
