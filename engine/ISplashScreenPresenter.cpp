#include "engine/ISplashScreenPresenter.h"

#include <atomic>

namespace {
std::atomic<ISplashScreenPresenter*> g_presenter{nullptr};
}

ISplashScreenPresenter* ISplashScreenPresenter::GetPresenter() {
    return g_presenter.load();
}

void ISplashScreenPresenter::SetPresenter(ISplashScreenPresenter* presenter) {
    g_presenter.store(presenter);
}
