#include "PlatformServices.h"

std::unique_ptr<ProgramLauncher> createProgramLauncher()
{
    return nullptr;
}
