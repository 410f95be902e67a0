#pragma once

#include <QString>

// One line of 已执行列表框, the only record of a project in work. Three forms exist:
//   ZIP form:     workDir + "(zip)"                    (an unpacked ZIP package)
//   file form:    workDir + "/" + number + "." + type  (the full path of the copied single-file package;
//                                                       workDir + "/" + number for a package of no type)
//   package form: pending package + "(未存入)"          (work packed by an update back that ended before it was
//                                                       stored; the start lists it)
// Execute and the start build them and update back and abandon read them back; both directions live here.
class WorkLine
{
public:
    static QString zipCaption(const QString& workDir);
    static QString fileCaption(const QString& workFile);
    static QString packageCaption(const QString& pendingPackage);

    // Total: every text gives some working folder, number and type, as the list shows only our own lines.
    static WorkLine parse(const QString& caption);

    QString caption() const { return m_caption; }
    bool isZip() const { return m_isZip; }
    bool isPackage() const { return !m_package.isEmpty(); }
    bool isFile() const { return !m_isZip && !isPackage(); }
    // Empty for the package form: that work has no folder any more.
    QString workingFolder() const { return m_workingFolder; }
    // The pending package of the package form; empty for the others.
    QString package() const { return m_package; }
    QString number() const { return m_number; }
    QString type() const { return m_type; } // "zip" for the ZIP form

    // The worked file of the file form (the caption itself); empty for the ZIP form.
    QString workFile() const;
    // The file form's caption less "." and the type: the path shown when the file cannot be taken.
    QString workFileWithoutExtension() const;

private:
    QString m_caption;
    bool m_isZip = false;
    QString m_workingFolder;
    QString m_package;
    QString m_number;
    QString m_type;
};
