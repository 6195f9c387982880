#include "ContextHelp.h"

namespace {

ContextHelpFactory& Factory() {
    static ContextHelpFactory factory = nullptr;
    return factory;
}

} // namespace

void SetContextHelpFactory(ContextHelpFactory factory) {
    Factory() = factory;
}

std::unique_ptr<IContextHelp> CreateContextHelp(CTEVEngine* engine) {
    ContextHelpFactory factory = Factory();
    return factory ? factory(engine) : nullptr;
}
