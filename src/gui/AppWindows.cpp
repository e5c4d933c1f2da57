#include "AppWindows.h"

#include "AppIcon.h"
#include "TFFabricoreFirmWare.h"

AppWindows::AppWindows(AppContext &context)
    : m_reportTexts(context.catalog)
    , m_main(std::make_unique<TFFabricoreFirmWare>(context))
{
    AppIcon::install();
}

AppWindows::~AppWindows() = default;

TFNew_Project *AppWindows::newProject() const
{
    return m_main->newProject();
}

TFOpenConf *AppWindows::openConf() const
{
    return m_main->openConf();
}

TFAbout *AppWindows::about() const
{
    return m_main->about();
}

TFSoftOptions *AppWindows::softOptions() const
{
    return m_main->softOptions();
}

TFParGen *AppWindows::parGen() const
{
    return m_main->parGen();
}

TFDeviceNetNetwork *AppWindows::deviceNet() const
{
    return m_main->deviceNet();
}

TFDefineModbusRegs *AppWindows::defineModbus() const
{
    return m_main->defineModbus();
}

TFBoot *AppWindows::boot() const
{
    return m_main->boot();
}
