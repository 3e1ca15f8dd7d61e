#include "queue.h"

void queue_init(struct queue *q)
{
    q->head = 0;
    q->count = 0;
}

int queue_put(struct queue *q, int value)
{
    if (q->count == QUEUE_SIZE)
        return 0;
    q->items[(q->head + q->count) % QUEUE_SIZE] = value;
    q->count++;
    return 1;
}

int queue_get(struct queue *q, int *value)
{
    if (q->count == 0)
        return 0;
    *value = q->items[q->head];
    q->head = (q->head + 1) % QUEUE_SIZE;
    q->count--;
    return 1;
}
