#include "problemlog.h"

void ProblemLog::note(const LoadProblem& problem, const QString& path)
{
    if (problem.kind == LoadProblem::Kind::CaseTwins) {
        const QString pair = problem.name + QChar(0) + problem.otherName;
        if (!m_twinsTold.contains(pair)) {
            m_twinsTold.insert(pair);
            tell(problem);
        }
        return;
    }
    if (problem.kind == LoadProblem::Kind::EndsWithinRecord)
        m_cutShort.insert(path);
    if (problem.kind == LoadProblem::Kind::Unreadable)
        m_unreadable.insert(path);
    if (m_told.contains(path))
        return;
    m_told.insert(path);
    m_damaged.insert(path);
    tell(problem);
}

void ProblemLog::tell(const LoadProblem& problem)
{
    if (m_listener)
        m_listener(problem);
    else
        m_problems.append(problem);
}

void ProblemLog::copied(const QString& path, const QString& copyName)
{
    m_damaged.remove(path);
    m_copies.append(copyName);
}
