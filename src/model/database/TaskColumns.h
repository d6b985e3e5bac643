#pragma once
// The task grid's columns: one table for every layer that reads or writes a
// task row (the passes, the task records, the windows).

namespace Col {
enum : int {
    Fixed = 0, TaskId = 1, Equipment = 2, RequestDate = 3, ScheduledStart = 4, StartTime = 5,
    ScheduledEnd = 6, EndTime = 7, AssignedTo = 8, RequestedBy = 9, Type = 10, Frequency = 11,
    Document = 12, Status = 13, Count = 14
};
}
