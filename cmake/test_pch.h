#pragma once
// Precompiled header of the test programs: the module's, with what nearly every test file
// includes besides (GoogleTest, Qt's widgets and test helpers).
#include "pch.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QAccessible>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <thread>
