#pragma once
// TkmPDFEngine: the PDF engine component applications use. It adds nothing to
// TkmExPDFEngine.

#include "kmExPDFEng.h"

namespace km {

class TkmPDFEngine : public TkmExPDFEngine {};

}  // namespace km
