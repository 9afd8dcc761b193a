// Part of the class library gathered in afxwin.h here.
#pragma once

#include "afxwin.h"
