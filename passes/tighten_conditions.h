#pragma once
bool TightenConditions();
