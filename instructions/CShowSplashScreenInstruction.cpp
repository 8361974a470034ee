#include "instructions/CShowSplashScreenInstruction.h"

#include "engine/ISplashScreenPresenter.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VImage.h"
#include "foundation/VLog.h"
#include "foundation/VStringTokenizer.h"

#include <cstdlib>

using namespace VFoundation;

V_IMPLEMENT_CLASS(CShowSplashScreenInstruction, IInstallerInstruction)

CShowSplashScreenInstruction::CShowSplashScreenInstruction() : IInstallerInstruction(GetClassRecord()) {}

CShowSplashScreenInstruction::CShowSplashScreenInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()) {
    VStringTokenizer fields(arguments, ',');
    if (fields.CountTokens() != 2)
        throw VException(0, this, "Splash screens must have 2 arguments, path and time out");
    VString timeout;
    fields.NextToken(m_imagePath);
    fields.NextToken(timeout);
    m_imagePath.Trim();
    m_timeout = std::atoi(timeout.Trim().GetText());
}

CShowSplashScreenInstruction::~CShowSplashScreenInstruction() = default;

bool CShowSplashScreenInstruction::Execute() {
    VString path(m_imagePath);
    ExpandText(path);
    LogPrintf("Splash path = %s\n", path.GetText());
    VFileManager::MakeNativePath(path);
    VRef<VImage> image = VRef<VImage>::Adopt(VImage::LoadFromFile(path.GetText()));
    if (!image) return false;
    ISplashScreenPresenter* presenter = ISplashScreenPresenter::GetPresenter();
    if (!presenter) return false;
    return presenter->ShowSplashScreen(image.Get(), m_timeout, m_splashScreen);
}
