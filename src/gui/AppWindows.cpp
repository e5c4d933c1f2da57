#include "AppWindows.h"

#include "AppIcon.h"
#include "TFAbout.h"
#include "TFBoot.h"
#include "TFDefineModbusRegs.h"
#include "TFDeviceNetNetwork.h"
#include "TFFabricoreFirmWare.h"
#include "TFNew_Project.h"
#include "TFOpenConf.h"
#include "TFParGen.h"
#include "TFSoftOptions.h"

AppWindows::AppWindows(AppContext &context)
    : m_reportTexts(context.catalog)
    , m_main(std::make_unique<TFFabricoreFirmWare>(context))
{
    AppIcon::install();
    QWidget *parent = m_main.get();
    newProject = new TFNew_Project(context, parent);
    openConf = new TFOpenConf(context, parent);
    about = new TFAbout(context, parent);
    softOptions = new TFSoftOptions(context, parent);
    parGen = new TFParGen(context, parent);
    deviceNet = new TFDeviceNetNetwork(context, parent);
    defineModbus = new TFDefineModbusRegs(context, parent);
    boot = new TFBoot(context, parent);
    m_main->setDialogs({newProject, openConf, about, softOptions, parGen, deviceNet, defineModbus, boot});
}

AppWindows::~AppWindows() = default;
