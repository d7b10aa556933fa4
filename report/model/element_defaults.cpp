#include "report/model/element_defaults.h"

#include "platform/settings/default_settings.h"

namespace {
thread_local CHeldElementDefaults* t_held = nullptr;
}  // namespace

CHeldElementDefaults::CHeldElementDefaults()
    : m_nLineWidth(zor::DefaultLineWidth()), m_nCreateFixed(zor::DefaultCreateFixed()),
      m_nPictureDrawMode(zor::DefaultPictureDrawMode()), m_pOuter(t_held) {
    t_held = this;
}

CHeldElementDefaults::~CHeldElementDefaults() { t_held = m_pOuter; }

int CHeldElementDefaults::LineWidth() { return t_held ? t_held->m_nLineWidth : zor::DefaultLineWidth(); }
int CHeldElementDefaults::CreateFixed() { return t_held ? t_held->m_nCreateFixed : zor::DefaultCreateFixed(); }
int CHeldElementDefaults::PictureDrawMode() {
    return t_held ? t_held->m_nPictureDrawMode : zor::DefaultPictureDrawMode();
}
