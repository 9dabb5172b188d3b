#pragma once
// How the progress window shows on Linux: one status line on standard error.
#include <memory>

#include "platform/vcl.h"

// A view that draws on standard error when it is a terminal. When it is not, it draws
// nothing but the line "Invalid Entry Point".
std::unique_ptr<TWindowView> MakeStandardErrorView();
