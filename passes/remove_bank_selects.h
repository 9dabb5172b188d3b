#pragma once
bool RemoveBankSelects();
