#include "cad/save_copy.h"

#include <memory>
#include <utility>

namespace ostrel::cad {

SaveCopy::SaveCopy(Drawing& owner)
    : owner_(owner), entityCount_(owner.entities.size()), textSize_(owner.textPool.size()) {
    auto entities = std::move(owner.entities);
    auto text = std::move(owner.textPool);
    owner.entities.clear();
    owner.textPool.clear();
    try {
        copy_ = owner;
        for (auto& o : copy_.objects)
            if (o.layout) o.layout = std::make_shared<LayoutData>(*o.layout);
    } catch (...) {
        owner.entities = std::move(entities);
        owner.textPool = std::move(text);
        throw;
    }
    copy_.entities = std::move(entities);
    copy_.textPool = std::move(text);
}

SaveCopy::~SaveCopy() {
    owner_.entities = std::move(copy_.entities);
    owner_.entities.resize(entityCount_);
    owner_.textPool = std::move(copy_.textPool);
    owner_.textPool.resize(textSize_);
}

} // namespace ostrel::cad
