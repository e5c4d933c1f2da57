#include "PlatformServices.h"

std::unique_ptr<HttpClient> createHttpClient()
{
    return nullptr;
}
