/* A fixed-size ring of integers. */
#ifndef QUEUE_H
#define QUEUE_H

#define QUEUE_SIZE 8

struct queue {
    int items[QUEUE_SIZE];
    unsigned head;
    unsigned count;
};

void queue_init(struct queue* q);
int queue_put(struct queue* q, int value);
int queue_get(struct queue* q, int* value);

#endif
