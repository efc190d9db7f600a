// A catalogue in a temporary folder for framework tests: the sample titles, or an empty
// titles table, opened as the program opens it.
#pragma once

#include "catalogue.h"
#include "table.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct TestCatalogue {
    QTemporaryDir dir;
    std::unique_ptr<rk::store::Table> titles;

    explicit TestCatalogue(bool sample = true) {
        const std::string path = dir.path().toStdString();
        const rk::Status made =
            sample ? rk::catalogue::createSample(path) : rk::catalogue::createEmpty(path);
        if (!made.isOk()) qFatal("cannot create a catalogue: %s", made.message().c_str());
        titles = std::make_unique<rk::store::Table>(
            rk::findFileNoCase(path, rk::catalogue::kTitlesFile));
        const rk::Status opened = titles->open();
        if (!opened.isOk()) qFatal("cannot open the titles: %s", opened.message().c_str());
    }
};
