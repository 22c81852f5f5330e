#ifndef CARD_REGISTERS_H
#define CARD_REGISTERS_H

/* The TR-4410's registers as the I/O ports see them, in plain C: the one home of these facts,
   shared by the port helper's request rules and by the card rules and hardware layer of the
   program, which give them typed C++ names where they need them.

   The card answers at its control base address (address lines A4 to A9). Its ten resource
   registers are reached through two ports: the number of a register goes into the index register
   (control base + 1), then its value into the data register (control base + 2). */

#define CARD_CONTROL_BASE_MIN 0x100u /* below lie the system board's own devices */
#define CARD_CONTROL_BASE_MAX 0x3F0u
#define CARD_CONTROL_BASE_STEP 0x10u
#define CARD_CONTROL_BASE_COUNT                                                                              \
    ((CARD_CONTROL_BASE_MAX - CARD_CONTROL_BASE_MIN) / CARD_CONTROL_BASE_STEP + 1u)
#define CARD_CONTROL_BASE_DEFAULT 0x300u /* as the card ships, and wherever none is given */
#define CARD_INDEX_OFFSET 1u
#define CARD_DATA_OFFSET 2u

/* Registers 1 to 8: the I/O base address of ports A to H as a port address code, the address / 8
   (address bits 3 to 9); register 9: the IRQ of all eight ports; register 10: the RS-422 mask,
   bit 0 port A to bit 7 port H. */
#define CARD_REGISTER_COUNT 10
#define CARD_REGISTER_PORT_A 1 /* port B's is the next, up to port H's */
#define CARD_REGISTER_PORT_H (CARD_REGISTER_PORT_A + CARD_PORT_COUNT - 1)
#define CARD_REGISTER_IRQ 9
#define CARD_REGISTER_RS422_MASK 10
#define CARD_PORT_COUNT 8
#define CARD_PORT_ADDRESS_MIN 0x100u
#define CARD_PORT_ADDRESS_MAX 0x3F8u
/* A port takes eight addresses from its base on, so its bases lie this far apart. */
#define CARD_PORT_ADDRESS_STEP 8u
#define CARD_PORT_CODE_MIN (CARD_PORT_ADDRESS_MIN / CARD_PORT_ADDRESS_STEP) /* 0x20 */
#define CARD_PORT_CODE_MAX (CARD_PORT_ADDRESS_MAX / CARD_PORT_ADDRESS_STEP) /* 0x7F */
/* The IRQs the card can drive, one bit each: 2, 3, 4, 5, 6, 7, 10, 11, 12 and 15. */
#define CARD_IRQ_MASK 0x9CFCu

/* The one port that tells whether port access works: the driver presence test reads it, and the
   port helper reads no other. */
#define CARD_DRIVER_PROBE_PORT 0x61u
/* The machine-wide write lock the port helper takes for each writer, made at boot by the
   package's tmpfiles.d entry. Its contents are never read or written: the lock alone counts. */
#define CARD_WRITE_LOCK_PATH "/run/tr4410/write.lock"

static inline int card_control_base_valid(unsigned base)
{
    return base >= CARD_CONTROL_BASE_MIN && base <= CARD_CONTROL_BASE_MAX &&
           base % CARD_CONTROL_BASE_STEP == 0;
}

static inline int card_irq_valid(unsigned irq)
{
    return irq < 16u && ((CARD_IRQ_MASK >> irq) & 1u) != 0;
}

/* Whether this is the number of a resource register, 1 to 10. */
static inline int card_register_number_valid(unsigned reg)
{
    return reg >= CARD_REGISTER_PORT_A && reg <= CARD_REGISTER_COUNT;
}

/* Whether a value may go into the resource register of this number (1 to 10). */
static inline int card_register_value_valid(int reg, unsigned value)
{
    if (reg >= CARD_REGISTER_PORT_A && reg <= CARD_REGISTER_PORT_H)
        return value >= CARD_PORT_CODE_MIN && value <= CARD_PORT_CODE_MAX;
    if (reg == CARD_REGISTER_IRQ)
        return card_irq_valid(value);
    return reg == CARD_REGISTER_RS422_MASK && value <= 0xFFu;
}

#endif
