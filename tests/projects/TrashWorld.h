#pragma once

#include "store/ProjectRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// What the trash and the history tests look at: which packages a window leads to, which projects are where, and
// the commands ended before one of their steps.
namespace TrashWorld {

struct Killed
{
};

// Projects A, B, C, D (full records) with their packages and one earlier package each.
void addProjects();
QByteArray packageBytes(const QString& number);
QByteArray versionBytes(const QString& number);

// The bytes of every package a window leads to: the packages in data/ (检查数据 lists those no project has), the
// earlier packages of the catalogue's projects (历史版本), and the packages and earlier packages of the trash's
// entries (回收站).
QList<QByteArray> reachableBytes();
// What lies where no window leads: half-made batches and journals in the trash, placings beside the packages,
// earlier packages of a number that has neither project nor package.
QStringList strays();

QStringList numbersIn(const QList<ProjectRecord>& projects);
QStringList trashNumbers();
// How often a project of this name is in the catalogue and in the trash together.
int placesOf(const QString& name);

// Runs `work` with the process ending before its step `cutAt` (never with -1); answers the steps it took.
int runCutOff(int cutAt, const std::function<void()>& work);

} // namespace TrashWorld
