#include "foundation/ModelContext.h"

#include <atomic>

namespace {
const ModelContext kNullContext;
std::atomic<const ModelContext *> g_context{nullptr};
} // namespace

const ModelContext &ModelContext::current()
{
    const ModelContext *c = g_context.load(std::memory_order_acquire);
    return c ? *c : kNullContext;
}

void ModelContext::install(const ModelContext *context)
{
    g_context.store(context, std::memory_order_release);
}

ModelContextScope::ModelContextScope(const ModelContext &context)
    : m_previous(g_context.exchange(&context, std::memory_order_acq_rel))
{
}

ModelContextScope::~ModelContextScope()
{
    g_context.store(m_previous, std::memory_order_release);
}
