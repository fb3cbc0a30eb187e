#include "scenario/FCScenario.h"

FCScenario::FCScenario(FCOasys* owner)
    : manager(owner)
    , residentModule(nullptr)
{
}

FCScenario::~FCScenario()
{
    nextEntry.clear();
    nextModule.clear();
}
